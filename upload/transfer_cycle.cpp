#include "upload/transfer_cycle.h"

#include "platform/text/big5.h"
#include "platform/text/calendar.h"
#include "platform/text/folders.h"
#include "service/insert_sql.h"
#include "upload/foreign_sale_guard.h"
#include "upload/statement_template.h"

namespace tavrix {

std::string heldOfSent(int held, int sent) {
  return "verification: the head office holds " + std::to_string(held) + " rows of the " +
         std::to_string(sent) + " sent";
}

void transferRecords(RunContext& run, const RecordKind& kind) {
  run.progress.window.addProgressLine(text::B5(kind.headerLine));
  run.progress.working(kind.name, "");
  run.headOffice.OpenRemote(run.staging.rows, kind.probe);

  std::string record, failure;  // the record in hand and why its last pass failed
  int attempts = 0;
  int setAside = 0;  // records another machine holds at the head office
  while (attempts < kFailureBudget) {
    if (kind.passLine) run.progress.window.addProgressLine(text::B5(kind.passLine));
    run.local.open(run.local.nextRecord, passingOver(kind.pick, setAside));
    if (run.local.nextRecord.eof()) break;

    std::string date = run.local.nextRecord.fieldByName("SAL_DATE").asString();
    std::string no = run.local.nextRecord.fieldByName("SAL_NO").asString();
    std::string card =
        kind.cardColumn ? run.local.nextRecord.fieldByName(kind.cardColumn).asString() : "";
    record = date + "_" + no + (kind.cardColumn ? "_" + card : "");
    run.progress.working(kind.name, record);
    if (run.guard.holdsBack(kind.name, kind.guardedBy, date, no, record)) {
      ++setAside;
      continue;
    }
    std::string ad = kind.convertsDate ? ROCToDate(date) : date;
    auto key = [&](std::string_view name) -> std::string {
      return name == "date" ? date : name == "ad" ? ad : name == "no" ? no : card;
    };
    run.progress.window.addProgressLine("   >>" + date + "_" + no + text::B5(kind.progressSuffix));

    // A key part that is null matches no row: then the picked row goes alone.
    run.local.open(run.local.recordRows, expand(kind.rowsOfKey, key));
    localdb::SqlQuery& rows =
        run.local.recordRows.eof() ? run.local.nextRecord : run.local.recordRows;
    run.staging.rows.emptyDataSet();
    for (; !rows.eof(); rows.next()) {
      run.staging.rows.append();
      copyColumns(rows, run.staging.rows, kind.columns);
      run.staging.rows.post();
    }

    run.batch.clear();
    for (const char* line : kind.deleteLines) run.batch.push_back(expand(line, key));
    for (run.staging.rows.first(); !run.staging.rows.eof(); run.staging.rows.next())
      run.batch.push_back(BuildInsertSQL(run.staging.rows, kind.table) + ";");
    // Saved before the post, so the file always holds the last batch tried.
    text::writeFile(run.rootFolder + kind.copyFile, run.batch.text());

    if (!run.headOffice.ExecRemoteSQL(run.batch)) {
      failure = run.headOffice.LastFailure;
      ++attempts;
      continue;
    }
    run.headOffice.OpenRemote(run.staging.remoteResult, expand(kind.verification, key));
    int sent = run.staging.rows.recordCount();
    if (run.staging.remoteResult.recordCount() != sent) {
      failure = heldOfSent(run.staging.remoteResult.recordCount(), sent);
      ++attempts;
      continue;
    }
    run.local.run(expand(kind.mark, key));
    run.progress.confirmed(kind.name, sent);
    attempts = 0;
  }
  if (attempts >= kFailureBudget) run.progress.stuck(kind.name, record, failure);
}

void transferByDate(RunContext& run, const DateBatchedKind& kind) {
  run.progress.window.addProgressLine(text::B5(kind.headerLine));
  run.progress.working(kind.name, "");
  run.headOffice.OpenRemote(run.staging.rows, kind.probe);

  switch (run.progress.window.mode()) {
    case 0:
      run.local.run(kind.pendingMark);
      break;
    case 1:
      run.local.run(
          expand(kind.pendingMarkOneDay, [&](std::string_view) { return run.values.oneDayDate; }));
      break;
    default:
      break;  // no mode: only rows left pending by an earlier run go
  }

  run.local.open(run.local.pendingDates, kind.dateGroups);
  for (; !run.local.pendingDates.eof(); run.local.pendingDates.next()) {
    std::string group = run.local.pendingDates.field(0).asString();
    auto groupKey = [&](std::string_view) { return group; };
    run.progress.working(kind.name, group);
    run.local.open(run.local.recordRows, expand(kind.rowsOfDate, groupKey));
    if (run.local.recordRows.eof()) continue;

    run.batch.clear();
    std::string held;  // the guard's verdict, from the first row another machine holds
    auto staged = [&](std::string_view name) {
      return run.staging.rows.fieldByName(name.substr(1)).asString();  // "$COLUMN"
    };
    // Staged and rendered one row at a time, into the batch text: a day of
    // many thousand rows is held once, in the form the request sends.
    int rows = 0;
    for (; !run.local.recordRows.eof(); run.local.recordRows.next(), ++rows) {
      if (kind.guardedBy && held.empty()) {
        std::string no = run.local.recordRows.fieldByName("SAL_NO").asString();
        if (std::string machine = run.guard.heldBy(kind.guardedBy, group, no); !machine.empty())
          held = heldElsewhere(group, no, machine);
      }
      run.staging.rows.emptyDataSet();
      run.staging.rows.append();
      copyColumns(run.local.recordRows, run.staging.rows, kind.columns);
      run.staging.rows.post();
      for (const char* line : kind.deleteLines) run.batch.push_back(expand(line, staged));
      run.batch.push_back(BuildInsertSQL(run.staging.rows, kind.table) + ";");
    }
    if (!held.empty()) {
      run.progress.held(kind.name, group, held);  // the day stays pending
      continue;
    }
    run.guard.sendingUnchecked(kind.name, kind.guardedBy, group);
    if (run.headOffice.ExecRemoteSQL(run.batch)) {
      run.local.run(expand(kind.mark, groupKey));
      run.progress.confirmed(kind.name, rows);
    } else {
      run.progress.stuck(kind.name, group, run.headOffice.LastFailure);
    }
  }
}

}  // namespace tavrix

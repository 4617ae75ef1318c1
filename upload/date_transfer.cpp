#include "upload/date_transfer.h"

#include "platform/text/big5.h"
#include "service/insert_sql.h"
#include "upload/foreign_sale_guard.h"
#include "upload/statement_template.h"

namespace tavrix {

namespace {

// The rows to send get the pending mark: in the one-day mode that day's
// rows; with no mode, only rows left pending by an earlier run go.
void markPending(RunContext& run, const DateTravel& travel) {
  switch (run.progress.window.mode()) {
    case 0:
      run.local.run(travel.pendingMark);
      break;
    case 1:
      run.local.run(expand(travel.pendingMarkOneDay,
                           [&](std::string_view) { return run.values.oneDayDate; }));
      break;
    default:
      break;
  }
}

// Stages and renders the date's rows one at a time, into the batch text: a
// day of many thousand rows is held once, in the form the request sends.
// The guard's verdict, from the first row another machine holds; the rows.
int batchOfDate(RunContext& run, const DataKind& kind, const std::string& group,
                std::string& held) {
  const DateTravel& travel = *kind.byDate;
  run.batch.clear();
  auto staged = [&](std::string_view name) {
    return run.staging.dateRows.fieldByName(name.substr(1)).asString();  // "$COLUMN"
  };
  localdb::SqlQuery& rows = run.local.recordRows;
  int count = 0;
  for (; !rows.eof(); rows.next(), ++count) {
    if (kind.guardedBy && held.empty()) {
      std::string no = rows.fieldByName("SAL_NO").asString();
      if (std::string machine = run.guard.heldBy(kind.guardedBy, group, no); !machine.empty())
        held = heldElsewhere(group, no, machine);
    }
    run.staging.dateRows.emptyDataSet();
    run.staging.dateRows.append();
    copyColumns({rows, nullptr, nullptr, run.values.storeId, run.values.stockId, run.clock},
                run.staging.dateRows, travel.columns);
    run.staging.dateRows.post();
    for (const char* line : travel.deleteLines) run.batch.push_back(expand(line, staged));
    run.batch.push_back(BuildInsertSQL(run.staging.dateRows, travel.table) + ";");
  }
  return count;
}

}  // namespace

void transferByDate(RunContext& run, const DataKind& kind) {
  const DateTravel& travel = *kind.byDate;
  run.progress.window.addProgressLine(text::B5(travel.headerLine));
  run.progress.working(kind.name, "");
  run.headOffice.OpenRemote(run.staging.dateRows, travel.probe);
  markPending(run, travel);

  run.local.open(run.local.pendingDates, travel.dateGroups);
  for (; !run.local.pendingDates.eof(); run.local.pendingDates.next()) {
    std::string group = run.local.pendingDates.field(0).asString();
    auto groupKey = [&](std::string_view) { return group; };
    run.progress.working(kind.name, group);
    run.local.open(run.local.recordRows, expand(travel.rowsOfDate, groupKey));
    if (run.local.recordRows.eof()) continue;
    std::string held;
    int rows = batchOfDate(run, kind, group, held);
    if (!held.empty()) {
      run.progress.held(kind.name, group, held);  // the day stays pending
      continue;
    }
    run.guard.sendingUnchecked(kind.name, kind.guardedBy, group);
    if (run.headOffice.ExecRemoteSQL(run.batch)) {
      run.local.run(expand(travel.mark, groupKey));
      run.progress.confirmed(kind.name, rows);
    } else {
      run.progress.stuck(kind.name, group, run.headOffice.LastFailure);
    }
  }
}

}  // namespace tavrix

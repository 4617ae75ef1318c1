#include "upload/transfer_cycle.h"

#include "platform/text/big5.h"
#include "platform/text/calendar.h"
#include "platform/text/folders.h"
#include "service/insert_sql.h"
#include "upload/statement_template.h"
#include "upload/upload_engine.h"

namespace tavrix {

std::string heldOfSent(int held, int sent) {
  return "verification: the head office holds " + std::to_string(held) + " rows of the " +
         std::to_string(sent) + " sent";
}

void transferRecords(UploadEngine& e, const RecordKind& kind) {
  e.host.addProgressLine(text::B5(kind.headerLine));
  e.working(kind.name, "");
  e.http.OpenRemote(e.CDS_PointMaster, kind.probe);

  std::string record, failure;  // the record in hand and why its last pass failed
  int attempts = 0;
  while (attempts < kFailureBudget) {
    if (kind.passLine) e.host.addProgressLine(text::B5(kind.passLine));
    e.openLocal(e.SQL_DataPoint, kind.pick);
    if (e.SQL_DataPoint.eof()) break;

    std::string date = e.SQL_DataPoint.fieldByName("SAL_DATE").asString();
    std::string no = e.SQL_DataPoint.fieldByName("SAL_NO").asString();
    std::string card =
        kind.cardColumn ? e.SQL_DataPoint.fieldByName(kind.cardColumn).asString() : "";
    record = date + "_" + no + (kind.cardColumn ? "_" + card : "");
    e.working(kind.name, record);
    std::string ad = kind.convertsDate ? ROCToDate(date) : date;
    auto key = [&](std::string_view name) -> std::string {
      return name == "date" ? date : name == "ad" ? ad : name == "no" ? no : card;
    };
    e.host.addProgressLine("   >>" + date + "_" + no + text::B5(kind.progressSuffix));

    // A key part that is null matches no row: then the picked row goes alone.
    e.openLocal(e.SQL_DataMain, expand(kind.rowsOfKey, key));
    localdb::SqlQuery& rows = e.SQL_DataMain.eof() ? e.SQL_DataPoint : e.SQL_DataMain;
    e.CDS_PointMaster.emptyDataSet();
    for (; !rows.eof(); rows.next()) {
      e.CDS_PointMaster.append();
      copyColumns(rows, e.CDS_PointMaster, kind.columns);
      e.CDS_PointMaster.post();
    }

    e.BatchList.clear();
    for (const char* line : kind.deleteLines) e.BatchList.push_back(expand(line, key));
    for (e.CDS_PointMaster.first(); !e.CDS_PointMaster.eof(); e.CDS_PointMaster.next())
      e.BatchList.push_back(BuildInsertSQL(e.CDS_PointMaster, kind.table) + ";");
    // Saved before the post, so the file always holds the last batch tried.
    text::writeFile(e.rootFolder + kind.copyFile, e.BatchList.text());

    if (!e.http.ExecRemoteSQL(e.BatchList)) {
      failure = e.http.LastFailure;
      ++attempts;
      continue;
    }
    e.http.OpenRemote(e.remoteResult, expand(kind.verification, key));
    int sent = e.CDS_PointMaster.recordCount();
    if (e.remoteResult.recordCount() != sent) {
      failure = heldOfSent(e.remoteResult.recordCount(), sent);
      ++attempts;
      continue;
    }
    e.runLocal(expand(kind.mark, key));
    e.confirmed(kind.name, sent);
    attempts = 0;
  }
  if (attempts >= kFailureBudget) e.stuck(kind.name, record, failure);
}

void transferByDate(UploadEngine& e, const DateBatchedKind& kind) {
  e.host.addProgressLine(text::B5(kind.headerLine));
  e.working(kind.name, "");
  e.http.OpenRemote(e.CDS_PosMaster, kind.probe);

  switch (e.host.mode()) {
    case 0:
      e.runLocal(kind.pendingMark);
      break;
    case 1:
      e.runLocal(expand(kind.pendingMarkOneDay, [&](std::string_view) { return e.OneDayDate; }));
      break;
    default:
      break;  // no mode: only rows left pending by an earlier run go
  }

  e.openLocal(e.SQL_GROUP, kind.dateGroups);
  for (; !e.SQL_GROUP.eof(); e.SQL_GROUP.next()) {
    std::string group = e.SQL_GROUP.field(0).asString();
    auto groupKey = [&](std::string_view) { return group; };
    e.working(kind.name, group);
    e.openLocal(e.SQL_DataMain, expand(kind.rowsOfDate, groupKey));
    if (e.SQL_DataMain.eof()) continue;

    e.BatchList.clear();
    auto staged = [&](std::string_view name) {
      return e.CDS_PosMaster.fieldByName(name.substr(1)).asString();  // "$COLUMN"
    };
    // Staged and rendered one row at a time, into the batch text: a day of
    // many thousand rows is held once, in the form the request sends.
    int rows = 0;
    for (; !e.SQL_DataMain.eof(); e.SQL_DataMain.next(), ++rows) {
      e.CDS_PosMaster.emptyDataSet();
      e.CDS_PosMaster.append();
      copyColumns(e.SQL_DataMain, e.CDS_PosMaster, kind.columns);
      e.CDS_PosMaster.post();
      for (const char* line : kind.deleteLines) e.BatchList.push_back(expand(line, staged));
      e.BatchList.push_back(BuildInsertSQL(e.CDS_PosMaster, kind.table) + ";");
    }
    if (e.http.ExecRemoteSQL(e.BatchList)) {
      e.runLocal(expand(kind.mark, groupKey));
      e.confirmed(kind.name, rows);
    } else {
      e.stuck(kind.name, group, e.http.LastFailure);
    }
  }
}

}  // namespace tavrix

#include "upload/upload_engine.h"

#include <array>
#include <cstdio>
#include <functional>

#include "platform/errors.h"
#include "platform/localdb/ib_status.h"
#include "platform/stop/stop.h"
#include "platform/text/big5.h"
#include "platform/text/calendar.h"
#include "upload/program_version.h"
#include "upload/sale_transfer.h"
#include "upload/statement_template.h"
#include "upload/transfer_cycle.h"

namespace tavrix {

namespace {

// The transfer of each check-list item, by index; item 8 has none.
const std::array<std::function<void(UploadEngine&)>, 9> kTransfers = {
    TransferSales,
    [](UploadEngine& e) {
      transferRecords(e, kPointRecords);
      transferRecords(e, kStoredValueRecords);
    },
    TransferVoidedSales,
    [](UploadEngine& e) { transferRecords(e, kCreditCardRecords); },
    [](UploadEngine& e) { transferByDate(e, kDeletionLog); },
    [](UploadEngine& e) { transferByDate(e, kKeyLog); },
    TransferExchanges,
    [](UploadEngine& e) { transferByDate(e, kClockInRecords); },
    nullptr,
};

// A local failure names the statement, for the run log and status.json.
GeneralError inStatement(const std::exception& e, const std::string& statement) {
  return GeneralError(std::string(e.what()) + " (local statement: " + statement + ")");
}

// 2018-03-15 12:34:56
std::string isoTime(const text::DateTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.date.year, t.date.month,
                t.date.day, t.time.hour, t.time.minute, t.time.second);
  return text;
}

const char kPendingSales[] =
    "select FIRST 1 * FROM LOC_MAIN WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ";

}  // namespace

UploadEngine::UploadEngine(UploadHost& window, HeadOfficeService& service, const text::Clock& c,
                           std::string root, std::string till)
    : runLog(c, till),
      loggedHost_(window, runLog, settings),
      host(loggedHost_),
      http(service),
      clock(c),
      rootFolder(std::move(root)),
      tillFolder(std::move(till)) {
  // A mark leaves the marked rows' old versions behind. Reading them away in
  // the run's next query costs the server seconds for a big day (the server's
  // own collector races it); left alone, the server's collector removes them
  // in the background.
  SQLCon_Loc.setCollectGarbage(false);
}

std::string UploadEngine::readSettings() {
  try {
    settings = readRunSettings(tillFolder);
    http.readSettings();
    return "";
  } catch (const std::exception& e) {
    return e.what();
  }
}

std::string UploadEngine::stamp() const {
  return text::formatStamp(clock.now());
}

void UploadEngine::run() {
  if (Busy == 1 || !http.created() || stop::requested()) return;
  Busy = 1;
  lastRun = RunStatus{};
  lastRun.version = programVersion();
  lastRun.started = isoTime(clock.now());
  runLog.write("Run", "version " + lastRun.version);
  if (host.progressLineCount() >= 30) host.clearProgress();
  host.addProgressLine(stamp());
  try {
    BatchList.clear();
    host.addProgressLine(text::B5("位置: ") + http.Host + text::B5("  資料庫: ") + http.DataName +
                         " ....!");
    host.setCaption(text::B5("機號:") + MachineNo + "______" + stamp() + "  Ver: 2018-03-15");
    host.addProgressLine(text::B5("機號:[") + MachineNo + text::B5("]倉庫代號比對(連線)中..!"));
    host.show(text::B5("機號:") + MachineNo);

    http.OpenRemote(remoteResult,
                    expand("SELECT MCH_NO,STOCK_ID,STORE_ID FROM MCH_ITEM WHERE MCH_NO = '{no}'",
                           [&](std::string_view) { return MachineNo; }));
    StockId = remoteResult.field(1).asString();
    StoreId = remoteResult.field(2).asString();
    host.show(text::B5("倉庫代號") + StockId);
    host.addProgressLine(text::B5("倉庫代號:") + StockId + text::B5("....(連線)ok"));

    if (StockId.empty()) {
      host.addProgressLine(text::B5(" 倉庫代號空白,上傳終止..!"));
    } else {
      OneDayDate = DateToROC(text::formatDate(host.oneDayDate()));
      runEveryKind();
    }
    endOfRun();
    lastRunFailed = false;
    runEnded("ok", "");
  } catch (const stop::Stopped&) {
    // Stopped from outside: every row stays as it is at this moment, as after
    // a failure, and nothing is re-armed; the program is ending.
    Busy = 0;
    runLog.write("Stop", "stopped from outside");
    runEnded("stopped", "");
  } catch (const std::exception& e) {
    // One handler for everything: the run ends here, silently but for the failure log.
    host.addFailureLine(text::B5("錯誤的連線(主機)..") + stamp());
    Busy = 0;
    ++FailCount;
    lastRun.timerArmed = FailCount < 3 || settings.watchMinutes > 0;
    if (FailCount < 3)
      host.armUploadTimer();
    else if (settings.watchMinutes > 0)
      host.armUploadTimerAfter(std::chrono::minutes(settings.watchMinutes));
    lastRunFailed = true;
    lastFailure = e.what();
    // The failure log keeps its one line; the run log and status.json say why.
    runLog.write("Error", lastFailure);
    runEnded("failed", lastFailure);
  }
}

void UploadEngine::runEnded(const char* result, const std::string& reason) {
  http.httpClient.closeConnection();  // nothing held open between runs
  lastRun.ended = isoTime(clock.now());
  lastRun.result = result;
  lastRun.reason = text::big5ToUtf8(reason);
  if (lastRun.result == "ok") {
    lastRun.failedKind.clear();
    lastRun.failedKey.clear();
  }
  lastRun.failCount = FailCount;
  try {
    writeStatusFile(statusFile(tillFolder), lastRun);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tavrix: %s (the runs go on without it)\n", e.what());
  }
}

void UploadEngine::working(const char* kind, const std::string& key) {
  lastRun.failedKind = kind;
  lastRun.failedKey = text::big5ToUtf8(key);
}

void UploadEngine::confirmed(const char* kind, int records) {
  lastRun.countSent(kind, records);
}

void UploadEngine::stuck(const char* kind, const std::string& key, const std::string& reason) {
  std::string why = reason;
  while (!why.empty() && (why.back() == '\n' || why.back() == '\r')) why.pop_back();
  lastRun.stuck.push_back({kind, text::big5ToUtf8(key), text::big5ToUtf8(why)});
}

void UploadEngine::runEveryKind() {
  // Every item is ticked and every kind runs, whatever the user ticked.
  for (int index = 0; index < host.kindCount(); ++index) {
    host.tickKind(index);
    if (index < static_cast<int>(kTransfers.size()) && kTransfers[index]) kTransfers[index](*this);
  }
}

void UploadEngine::endOfRun() {
  host.addProgressLine(stamp() + "...OK");
  Busy = 0;
  BatchList.clear();
  // The count covers every pending sale, not the one row FIRST 1 returns.
  openLocal(SQL_DataMain, kPendingSales);
  int64_t pending = SQL_DataMain.recordCount();
  lastRun.timerArmed = pending > 0 || settings.watchMinutes > 0;
  if (pending > 0)
    host.armUploadTimer();
  else if (settings.watchMinutes > 0)
    host.armUploadTimerAfter(std::chrono::minutes(settings.watchMinutes));
  host.addProgressLine("Record:" + std::to_string(pending));
}

void UploadEngine::openLocal(localdb::SqlQuery& query, const std::string& statement) {
  stop::checkpoint();
  query.close();
  query.setSql(statement);
  try {
    query.open();
  } catch (const localdb::DatabaseError& e) {
    throw inStatement(e, statement);
  }
}

void UploadEngine::runLocal(const std::string& statement) {
  localStatement.close();
  localStatement.sql().clear();
  localStatement.sql().add(statement);
  try {
    localStatement.execute();
  } catch (const localdb::DatabaseError& e) {
    throw inStatement(e, statement);
  }
}

void UploadEngine::uploadTimerTick() {
  host.addProgressLine("Timer1...");
  if (host.mode() == 0) run();
}

}  // namespace tavrix

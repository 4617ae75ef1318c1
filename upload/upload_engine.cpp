#include "upload/upload_engine.h"

#include <array>
#include <cstdio>
#include <functional>

#include "platform/stop/stop.h"
#include "platform/text/big5.h"
#include "platform/text/calendar.h"
#include "upload/data_kinds.h"
#include "upload/date_transfer.h"
#include "upload/foreign_sale_guard.h"
#include "upload/program_version.h"
#include "upload/record_transfer.h"
#include "upload/statement_template.h"

namespace tavrix {

namespace {

// 2018-03-15 12:34:56
std::string isoTime(const text::DateTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.date.year, t.date.month,
                t.date.day, t.time.hour, t.time.minute, t.time.second);
  return text;
}

const char kPendingSales[] =
    "select FIRST 1 * FROM LOC_MAIN WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ";
const char kPendingSaleKeys[] =
    "SELECT SAL_DATE, SAL_NO FROM LOC_MAIN WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y'";

}  // namespace

UploadEngine::UploadEngine(UploadHost& window, HeadOfficeService& service, const text::Clock& c,
                           std::string root, std::string till)
    : runLog_(c, till),
      loggedHost_(window, runLog_, settings),
      http_(service),
      clock_(c),
      rootFolder_(std::move(root)),
      tillFolder_(std::move(till)) {
  // A mark leaves the marked rows' old versions behind. Reading them away in
  // the run's next query costs the server seconds for a big day (the server's
  // own collector races it); left alone, the server's collector removes them
  // in the background.
  local_.connection.setCollectGarbage(false);
}

StartUp UploadEngine::startUp(const std::vector<std::string>& args, const text::Date& today) {
  setDesignedParams(local_.connection);
  StartUp s = tavrix::startUp(args, tillFolder_, today, local_.connection);
  MachineNo = s.machineNo;
  return s;
}

std::string UploadEngine::readSettings() {
  try {
    settings = readRunSettings(tillFolder_);
    http_.readSettings();
    return "";
  } catch (const std::exception& e) {
    return e.what();
  }
}

std::string UploadEngine::stamp() const {
  return text::formatStamp(clock_.now());
}

void UploadEngine::run() {
  if (Busy == 1 || !http_.created() || stop::requested()) return;
  Busy = 1;
  UploadHost& host = loggedHost_;
  lastRun_ = RunStatus{};
  lastRun_.version = programVersion();
  lastRun_.started = isoTime(clock_.now());
  runLog_.write("Run", "version " + lastRun_.version);
  if (host.progressLineCount() >= 30) host.clearProgress();
  host.addProgressLine(stamp());
  RunProgress progress{host, runLog_, lastRun_, {}};
  try {
    batch_.clear();
    host.addProgressLine(text::B5("位置: ") + http_.Host + text::B5("  資料庫: ") + http_.DataName +
                         " ....!");
    host.setCaption(text::B5("機號:") + MachineNo + "______" + stamp() + "  Ver: 2018-03-15");
    host.addProgressLine(text::B5("機號:[") + MachineNo + text::B5("]倉庫代號比對(連線)中..!"));
    host.show(text::B5("機號:") + MachineNo);

    http_.OpenRemote(staging_.remoteResult,
                     expand("SELECT MCH_NO,STOCK_ID,STORE_ID FROM MCH_ITEM WHERE MCH_NO = '{no}'",
                            [&](std::string_view) { return MachineNo; }));
    values_.machineNo = MachineNo;
    values_.stockId = staging_.remoteResult.field(1).asString();
    values_.storeId = staging_.remoteResult.field(2).asString();
    host.show(text::B5("倉庫代號") + values_.stockId);
    host.addProgressLine(text::B5("倉庫代號:") + values_.stockId + text::B5("....(連線)ok"));

    if (values_.stockId.empty()) {
      host.addProgressLine(text::B5(" 倉庫代號空白,上傳終止..!"));
    } else {
      values_.oneDayDate = DateToROC(text::formatDate(host.oneDayDate()));
      ForeignSaleGuard guard(local_, http_, progress, values_, settings.foreignSaleGuard);
      RunContext run{local_,   staging_, http_, progress, values_,
                     settings, batch_,   guard, clock_,   rootFolder_};
      runEveryKind(run);
    }
    endOfRun(progress);
    runEnded("ok", "");
  } catch (const stop::Stopped&) {
    // Stopped from outside: every row stays as it is at this moment, as after
    // a failure, and nothing is re-armed; the program is ending.
    Busy = 0;
    runLog_.write("Stop", "stopped from outside");
    runEnded("stopped", "");
  } catch (const std::exception& e) {
    // One handler for everything: the run ends here, silently but for the failure log.
    host.addFailureLine(text::B5("錯誤的連線(主機)..") + stamp());
    Busy = 0;
    ++FailCount;
    lastRun_.timerArmed = FailCount < 3 || settings.watchMinutes > 0;
    if (FailCount < 3)
      host.armUploadTimer();
    else if (settings.watchMinutes > 0)
      host.armUploadTimerAfter(std::chrono::minutes(settings.watchMinutes));
    lastFailure_ = e.what();
    // The failure log keeps its one line; the run log and status.json say why.
    runLog_.write("Error", lastFailure_);
    runEnded("failed", lastFailure_);
  }
}

void UploadEngine::runEnded(const char* result, const std::string& reason) {
  http_.httpClient.closeConnection();  // nothing held open between runs
  lastRun_.ended = isoTime(clock_.now());
  lastRun_.result = result;
  lastRun_.reason = text::big5ToUtf8(reason);
  if (lastRun_.result == "ok") {
    lastRun_.failedKind.clear();
    lastRun_.failedKey.clear();
  }
  lastRun_.failCount = FailCount;
  try {
    writeStatusFile(statusFile(tillFolder_), lastRun_);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tavrix: %s (the runs go on without it)\n", e.what());
  }
}

void UploadEngine::runEveryKind(RunContext& run) {
  // Every item is ticked and every kind runs, whatever the user ticked.
  const std::vector<CheckListItem>& items = checkList();
  for (int index = 0; index < loggedHost_.kindCount(); ++index) {
    loggedHost_.tickKind(index);
    if (index >= static_cast<int>(items.size())) continue;
    for (const DataKind* kind : items[index].kinds) {
      if (kind->byRecord)
        transferEachRecord(run, *kind);
      else
        transferByDate(run, *kind);
    }
  }
}

bool UploadEngine::onlyHeldSalesPending(const RunProgress& progress) {
  if (progress.heldRecords.empty()) return false;
  LocalDatabase::open(local_.recordRows, kPendingSaleKeys);
  for (; !local_.recordRows.eof(); local_.recordRows.next()) {
    std::string key =
        local_.recordRows.field(0).asString() + "_" + local_.recordRows.field(1).asString();
    if (!progress.heldRecords.count({"sales", key})) return false;
  }
  return true;
}

void UploadEngine::endOfRun(const RunProgress& progress) {
  loggedHost_.addProgressLine(stamp() + "...OK");
  Busy = 0;
  batch_.clear();
  // The count covers every pending sale, not the one row FIRST 1 returns.
  LocalDatabase::open(local_.recordRows, kPendingSales);
  int64_t pending = local_.recordRows.recordCount();
  // Sales held for another machine wait for a person, not for the next run
  // in three seconds: the till looks again at its watch interval.
  bool waiting = pending > 0 && !onlyHeldSalesPending(progress);
  lastRun_.timerArmed = waiting || settings.watchMinutes > 0;
  if (waiting)
    loggedHost_.armUploadTimer();
  else if (settings.watchMinutes > 0)
    loggedHost_.armUploadTimerAfter(std::chrono::minutes(settings.watchMinutes));
  loggedHost_.addProgressLine("Record:" + std::to_string(pending));
}

void UploadEngine::uploadTimerTick() {
  loggedHost_.addProgressLine("Timer1...");
  if (loggedHost_.mode() == 0) run();
}

}  // namespace tavrix

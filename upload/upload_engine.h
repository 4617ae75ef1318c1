// The upload engine, as the till program and tavrix-upload use it: start-up,
// the settings, a run over every data kind, the upload timer's tick, and
// what the window shows. What a run works on is in run_context.h.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/text/clock.h"
#include "service/head_office_service.h"
#include "upload/host.h"
#include "upload/run_context.h"
#include "upload/run_log.h"
#include "upload/run_settings.h"
#include "upload/run_status.h"
#include "upload/start_up.h"

namespace tavrix {

class UploadEngine {
 public:
  // `rootFolder` stands for C:\ and receives the batch copy files; the till
  // folder receives the run log (log/) and the last run's status.json.
  UploadEngine(UploadHost& window, HeadOfficeService& http, const text::Clock& clock,
               std::string rootFolder, std::string tillFolder);

  // The window's start-up steps (start_up.h) on the till's own connection,
  // after the connection's designed parameters; sets MachineNo.
  StartUp startUp(const std::vector<std::string>& args, const text::Date& today);
  // The till's database, which start-up opens.
  localdb::SqlConnection& localConnection() { return local_.connection; }

  // How the till runs unattended ([run] of httpset.ini), read at start-up.
  RunSettings settings;
  // Reads httpset.ini: [run] into `settings`, then the service's [set]. The
  // error of a bad setting, after which the service stays uncreated and no
  // run starts; empty when all went well.
  std::string readSettings();

  // One upload run over every data kind. A failure anywhere ends the run
  // with a line in the failure log and may re-arm the upload timer. Runs
  // never nest: while Busy is 1 this does nothing, and nothing runs before the
  // data service client has been created or once a stop has been asked for.
  // A stop ends the run at its next query or request, leaving every row as
  // it is.
  void run();

  // What a tick of the upload timer does once the window has disarmed it: a log line
  // and, in the not-yet-transferred mode, a run.
  void uploadTimerTick();

  // The window as the run sees it: every log line also in the run log, and
  // with boxes=0 a box as a progress line.
  UploadHost& host() { return loggedHost_; }

  // Program-wide values.
  std::atomic<int> Busy = 0;  // read by the window while a run works elsewhere
  int FailCount = 0;
  std::string MachineNo;

  // How the last run ended (while a run is under way: how far it got).
  const RunStatus& lastRun() const { return lastRun_; }
  bool lastRunFailed() const { return lastRun_.result == "failed"; }
  // Why it failed, Big5, for a terminal; the window shows none of it.
  const std::string& lastFailure() const { return lastFailure_; }

 private:
  void runEveryKind(RunContext& run);
  void endOfRun(const RunProgress& progress);
  bool onlyHeldSalesPending(const RunProgress& progress);
  void runEnded(const char* result, const std::string& reason);
  std::string stamp() const;

  RunLog runLog_;
  LoggedHost loggedHost_;
  HeadOfficeService& http_;
  const text::Clock& clock_;
  const std::string rootFolder_;
  const std::string tillFolder_;

  // What the runs work on, for the program's life.
  LocalDatabase local_;
  Staging staging_;
  StatementBatch batch_;
  RunValues values_;
  RunStatus lastRun_;
  std::string lastFailure_;
};

}  // namespace tavrix

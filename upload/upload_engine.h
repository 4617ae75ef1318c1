// The upload run and everything it works on: the local connection, the local
// queries, the staging datasets and the values one run hands to the kinds.
#pragma once

#include <atomic>
#include <string>

#include "platform/dataset/dataset.h"
#include "platform/localdb/connection.h"
#include "platform/localdb/query.h"
#include "platform/localdb/statement.h"
#include "platform/text/clock.h"
#include "service/head_office_service.h"
#include "upload/host.h"
#include "upload/run_log.h"
#include "upload/run_settings.h"
#include "upload/run_status.h"

namespace tavrix {

class UploadEngine {
 public:
  // `rootFolder` stands for C:\ and receives the batch copy files; the till
  // folder receives the run log (log/) and the last run's status.json.
  UploadEngine(UploadHost& window, HeadOfficeService& http, const text::Clock& clock,
               std::string rootFolder, std::string tillFolder);

  // One upload run over every data kind. A failure anywhere ends the run
  // with a line in the failure log and may re-arm the upload timer. Runs
  // never nest: while Busy is 1 this does nothing, and nothing runs before the
  // data service client has been created or once a stop has been asked for.
  // A stop ends the run at its next query or request, leaving every row as
  // it is.
  void run();

  // Local statements, in the till program's rhythm: a query is closed, given
  // its text and opened; localStatement is closed, cleared, given one line
  // and run.
  // A stop asked for from outside ends the run before a query, never before a
  // mark: the marks of one record all go, or none.
  static void openLocal(localdb::SqlQuery& query, const std::string& statement);
  void runLocal(const std::string& statement);

  // What a tick of the upload timer does once the window has disarmed it: a log line
  // and, in the not-yet-transferred mode, a run.
  void uploadTimerTick();

  // How the till runs unattended ([run] of httpset.ini), read at start-up.
  RunSettings settings;
  // Reads httpset.ini: [run] into `settings`, then the service's [set]. The
  // error of a bad setting, after which the service stays uncreated and no
  // run starts; empty when all went well.
  std::string readSettings();

  // Program-wide values.
  std::atomic<int> Busy = 0;  // read by the window while a run works elsewhere
  int FailCount = 0;
  std::string MachineNo;
  // How the last run ended, for a terminal; the window shows none of it.
  bool lastRunFailed = false;
  std::string lastFailure;

  // The run under way, or the last one; status.json once it has ended.
  RunStatus lastRun;
  // What the kinds report as they go: the record in hand (a key as its
  // progress line shows it), records the head office confirmed, and a record
  // that failed every pass the run allows it. Texts are Big5.
  void working(const char* kind, const std::string& key);
  void confirmed(const char* kind, int records);
  void stuck(const char* kind, const std::string& key, const std::string& reason);

  // Values of one run.
  StatementBatch BatchList;
  std::string StockId, StoreId, OneDayDate;

  // The components the kinds work on.
  localdb::SqlConnection SQLCon_Loc;
  localdb::SqlQuery SQL_DataMain{SQLCon_Loc}, SQL_DataMast{SQLCon_Loc}, SQL_DataPoint{SQLCon_Loc},
      SQL_GROUP{SQLCon_Loc}, SQL_Product{SQLCon_Loc}, SQL_LOC_TYPE{SQLCon_Loc};
  localdb::SqlStatement localStatement{SQLCon_Loc};  // marks and other one-line statements
  dataset::DataSet CDS_PosMaster, CDS_PosSub, CDS_PointMaster;
  dataset::DataSet remoteResult;  // the head office's answer: machine check, verification

  RunLog runLog;

 private:
  LoggedHost loggedHost_;

 public:
  UploadHost& host;  // the window, every memo line also in the run log
  HeadOfficeService& http;
  const text::Clock& clock;
  const std::string rootFolder;
  const std::string tillFolder;

 private:
  void runEveryKind();
  void endOfRun();
  void runEnded(const char* result, const std::string& reason);
  std::string stamp() const;
};

}  // namespace tavrix

// What one upload run works on, and nothing more. The engine owns these for
// the program's life and hands them to the kinds as one context per run; a
// kind sees the till's database, the staging datasets, the head office, where
// its progress goes, the run's values and the statement batch.
#pragma once

#include <set>
#include <string>
#include <utility>

#include "platform/dataset/dataset.h"
#include "platform/localdb/connection.h"
#include "platform/localdb/query.h"
#include "platform/localdb/statement.h"
#include "platform/text/clock.h"
#include "service/head_office_service.h"
#include "service/statement_batch.h"
#include "upload/host.h"
#include "upload/run_log.h"
#include "upload/run_settings.h"
#include "upload/run_status.h"

namespace tavrix {

// The till's database: one connection, one query for each role.
struct LocalDatabase {
  localdb::SqlConnection connection;
  // The next pending record of a per-record kind.
  localdb::SqlQuery nextRecord{connection};
  // Every row of a picked key; the rows of a date; the pending sales at the
  // end of a run.
  localdb::SqlQuery recordRows{connection};
  // The lines of the record in hand.
  localdb::SqlQuery lineRows{connection};
  // The dates a date-batched kind has pending.
  localdb::SqlQuery pendingDates{connection};
  // A sale line's product and the product's type.
  localdb::SqlQuery product{connection}, productType{connection};
  // The sale numbers of the days that records wait for.
  localdb::SqlQuery saleNumbers{connection};
  // Marks and the other one-line statements.
  localdb::SqlStatement statement{connection};

  // In the till program's rhythm: a query is closed, given its text and
  // opened; the statement is closed, cleared, given one line and run. A stop
  // asked for from outside ends the run before a query, never before a mark:
  // the marks of one record all go, or none.
  static void open(localdb::SqlQuery& query, const std::string& text);
  void run(const std::string& text);
};

// The in-memory datasets: each staging dataset takes the columns of a
// head-office table from a probe, then the rows of one record or one date.
struct Staging {
  dataset::DataSet record;        // the record in hand: a header, or the rows of its key
  dataset::DataSet lines;         // the header's lines
  dataset::DataSet dateRows;      // a row of the date in hand
  dataset::DataSet remoteResult;  // the head office's answer to the machine check
};

// Where a run's progress goes: the window's logs (every line also in the run
// log), the run log, and the record in hand, for status.json. Texts are Big5.
struct RunProgress {
  UploadHost& window;
  RunLog& log;
  RunStatus& status;

  // The record in hand, a key as its progress line shows it ("" between records).
  void working(const char* kind, const std::string& key);
  // Records the head office confirmed.
  void confirmed(const char* kind, int records);
  // A record that failed every pass the run allows it.
  void stuck(const char* kind, const std::string& key, const std::string& reason);
  // A record another machine holds at the head office: stuck, and said in
  // the run log (the window's logs stay as they are).
  void held(const char* kind, const std::string& key, const std::string& reason);
  // Something the run could not do as it should, for the run log and
  // status.json.
  void warn(const std::string& text);

  std::set<std::pair<std::string, std::string>> heldRecords;  // kind, key
};

// The values one run hands to the kinds.
struct RunValues {
  std::string machineNo, stockId, storeId;
  std::string oneDayDate;  // the day of the one-day mode, ROC text
};

class ForeignSaleGuard;

struct RunContext {
  LocalDatabase& local;
  Staging& staging;
  HeadOfficeService& headOffice;
  RunProgress& progress;
  const RunValues& values;
  const RunSettings& settings;
  StatementBatch& batch;
  ForeignSaleGuard& guard;        // before a batch keyed by day and sale number
  const text::Clock& clock;       // a staged sale's transfer date
  const std::string& rootFolder;  // stands for C:\ : the batch copy files
};

}  // namespace tavrix

// What `tavrix-upload --status` tells: per data kind what waits in the till,
// and how the last run ended. Reads, never marks, contacts nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/localdb/connection.h"
#include "upload/data_kinds.h"
#include "upload/run_settings.h"

namespace tavrix {

struct PendingTable {
  const KindTable* table;
  int64_t pending = 0;  // rows not carrying the transferred mark
  std::string oldest;   // the earliest date among them (ROC text); empty for none
};

// One read-only query per table. Raises on a database error.
std::vector<PendingTable> pendingTables(localdb::SqlConnection& till);

struct TillStatus {
  std::string tillFolder;
  std::string machineNo;      // Big5; empty when MCH_NO.TXT cannot be read
  std::string client;         // the database client's file
  RunSettings settings;       // [run] of httpset.ini, in force
  std::string settingsError;  // why [run] cannot be read; empty when it can
  std::vector<PendingTable> tables;
  std::string lastRun;  // status.json as written; empty when none
};

// Reads the till in `tillFolder`: its machine number (empty when unreadable),
// what waits in its database and status.json. Raises when the database
// cannot be read.
TillStatus readTillStatus(const std::string& tillFolder);

// A table for a terminal, UTF-8.
std::string statusText(const TillStatus& status);
// One JSON object, UTF-8: till, machine, kinds, lastRun (null when none).
std::string statusJson(const TillStatus& status);

}  // namespace tavrix

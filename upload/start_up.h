// What the till program does before its message loop: the command line, the
// machine number and the local connection. The window and tavrix-upload share it.
#pragma once

#include <string>
#include <vector>

#include "platform/localdb/connection.h"
#include "platform/text/regional.h"

namespace tavrix {

// The connection parameters as the window is designed; they stay in force
// only when start-up fails before it sets its own.
void setDesignedParams(localdb::SqlConnection& connection);

// The parameters start-up sets, in their order, for the database at `database`.
void setStartUpParams(localdb::SqlConnection& connection, const std::string& database);

// The till's database entry: Data/POS_LOC.GDB in the till folder on 127.0.0.1.
std::string tillDatabase(const std::string& tillFolder);

// The machine number: the first line of MCH_NO.TXT in the till folder, kept
// exactly as stored. Raises GeneralError when the file is missing or empty.
std::string readMachineNo(const std::string& tillFolder);

struct StartUp {
  int mode = 0;     // the mode: -1 none, 0 not yet transferred, 1 one day
  text::Date date;  // the day of the one-day mode
  std::string machineNo;
  std::string error;  // for the standard error box; empty when all went well
};

// The window's start-up steps, guarded, in order: the mode from argument 1 (default 0),
// in mode 1 the date from argument 2 (default today), MachineNo from the first
// line of MCH_NO.TXT in the till folder (kept exactly as stored), then the
// connection's parameters for Data/POS_LOC.GDB on 127.0.0.1 and the opening.
// The first failure ends the steps; what was done stays done.
StartUp startUp(const std::vector<std::string>& args, const std::string& tillFolder,
                const text::Date& today, localdb::SqlConnection& connection);

}  // namespace tavrix

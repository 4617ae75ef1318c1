#include "upload/start_up.h"

#include <cerrno>
#include <cstring>

#include "platform/errors.h"
#include "platform/text/big5.h"
#include "platform/text/folders.h"
#include "platform/text/number_text.h"

namespace tavrix {

void setDesignedParams(localdb::SqlConnection& c) {
  c.setParam("Database", "database.gdb");
  c.setParam("RoleName", "RoleName");
  c.setParam("User_Name", "sysdba");
  c.setParam("Password", "quietbell");
  c.setParam("SQLDialect", "1");
  c.setParam("BlobSize", "-1");
  c.setParam("CommitRetain", "False");
  c.setParam("WaitOnLocks", "True");
  c.setParam("LocaleCode", "0000");
  c.setParam("Interbase TransIsolation", "ReadCommited");
  c.setParam("Trim Char", "False");
}

void setStartUpParams(localdb::SqlConnection& c, const std::string& database) {
  c.setParam("DriverName", "Interbase");
  c.setParam("Database", database);
  c.setParam("RoleName", "RoleName");
  c.setParam("User_Name", "SYSDBA");
  c.setParam("Password", "quietbell");
  c.setParam("ServerCharSet", "");
  c.setParam("SQLDialect", "3");
  c.setParam("BlobSize", "-1");
  c.setParam("CommitRetain", "False");
  c.setParam("WaitOnLocks", "True");
  c.setParam("ErrorResourceFile", "");
  c.setParam("LocaleCode", "0000");
  c.setParam("Interbase TransIsolation", "ReadCommited");
  c.setParam("Trim Char", "False");
}

namespace {

// The first line of the file: up to CR LF, a lone CR or a lone LF.
std::string firstLine(const std::string& path) {
  auto content = text::readFile(path);
  if (!content)
    throw GeneralError("Cannot open file \"" + text::nameInBig5(path) + "\". " +
                       std::strerror(errno));
  const std::string& text = *content;
  if (text.empty()) throw GeneralError("List index out of bounds (0)");
  return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

std::string tillDatabase(const std::string& tillFolder) {
  // The server takes the path in the form of its own system.
  return "127.0.0.1:" + tillFolder + "Data" + text::kPathSeparator + "POS_LOC.GDB";
}

std::string readMachineNo(const std::string& tillFolder) {
  return firstLine(tillFolder + "MCH_NO.TXT");
}

StartUp startUp(const std::vector<std::string>& args, const std::string& tillFolder,
                const text::Date& today, localdb::SqlConnection& c) {
  StartUp s;
  s.date = today;
  try {
    int64_t mode = args.size() > 0 ? text::parseInteger(args[0]).value_or(0) : 0;
    s.mode = mode < -1 ? -1 : mode > 1 ? 1 : static_cast<int>(mode);
    if (s.mode == 1 && args.size() > 1)
      if (auto date = text::parseDate(args[1])) s.date = *date;
    s.machineNo = readMachineNo(tillFolder);

    c.close();
    setStartUpParams(c, tillDatabase(tillFolder));
    c.open();
  } catch (const std::exception& e) {
    s.error = e.what();
  }
  return s;
}

}  // namespace tavrix

#include "platform/localdb/admin.h"

#include <ibase.h>

#include "platform/localdb/client.h"
#include "platform/localdb/connection.h"
#include "platform/localdb/ib_status.h"
#include "platform/localdb/sql_lexer.h"
#include "platform/localdb/statement.h"
#include "platform/text/number_text.h"

namespace tavrix::localdb {

void createDatabase(const std::string& dsn, const std::string& user, const std::string& password) {
  std::string dpb{static_cast<char>(isc_dpb_version1)};
  auto add = [&](char tag, const std::string& value) {
    dpb += tag;
    dpb += static_cast<char>(value.size());
    dpb += value;
  };
  add(isc_dpb_user_name, user);
  add(isc_dpb_password, password);
  add(isc_dpb_page_size, std::string("\x00\x20\x00\x00", 4));  // 8192
  add(isc_dpb_sql_dialect, std::string(1, SQL_DIALECT_V6));
  add(isc_dpb_set_db_charset, "NONE");
  // These databases serve development, tests and demos: a commit need not
  // wait for the disk (the flag lives in the database header).
  add(isc_dpb_force_write, std::string(1, '\0'));
  ClientFileName file = clientFileName(dsn);
  if (file.utf8) add(isc_dpb_utf8_filename, "");
  ISC_STATUS_ARRAY status;
  isc_db_handle db = 0;
  client().isc_create_database(status, 0, file.name.c_str(), &db, static_cast<short>(dpb.size()),
                               dpb.data(), 0);
  check(status);
  client().isc_detach_database(status, &db);
  check(status);
}

void dropDatabase(const std::string& dsn, const std::string& user, const std::string& password) {
  SqlConnection connection;
  connection.setParam("Database", dsn);
  connection.setParam("User_Name", user);
  connection.setParam("Password", password);
  connection.open();
  ISC_STATUS_ARRAY status;
  client().isc_drop_database(status, connection.handle());
  check(status);
  *connection.handle() = 0;  // dropping also detached it
}

std::vector<std::string> splitStatements(std::string_view s) {
  std::vector<std::string> out;
  std::string current;
  auto flush = [&] {
    if (!text::trimBlanks(current).empty()) out.emplace_back(text::trimBlanks(current));
    current.clear();
  };
  for (size_t i = 0; i < s.size();) {
    if (size_t e = skipQuoted(s, i); e != i) {
      current.append(s.substr(i, e - i));
      i = e;
    } else if (size_t e = skipComment(s, i); e != i) {
      i = e;
    } else if (s[i] == ';') {
      flush();
      ++i;
    } else {
      current += s[i++];
    }
  }
  flush();
  return out;
}

void runScript(SqlConnection& connection, std::string_view script) {
  SqlStatement statement(connection);
  for (const std::string& sql : splitStatements(script)) {
    statement.setSql(sql);
    statement.execute();
  }
}

}  // namespace tavrix::localdb

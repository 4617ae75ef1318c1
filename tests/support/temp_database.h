// A fresh database on the local Firebird server, in a folder of its own,
// dropped again at the end of the test.
#pragma once

#include <string>

#include "platform/localdb/connection.h"

namespace tavrix::testing {

inline constexpr const char* kUser = "SYSDBA";
inline constexpr const char* kPassword = "quietbell";

class TempDatabase {
 public:
  // Creates the database and runs the script in it.
  explicit TempDatabase(const std::string& script = "");
  ~TempDatabase();
  TempDatabase(const TempDatabase&) = delete;
  TempDatabase& operator=(const TempDatabase&) = delete;

  const std::string& folder() const { return folder_; }
  const std::string& dsn() const { return dsn_; }
  // Sets the parameters the till program uses, pointing at this database.
  void configure(localdb::SqlConnection& connection) const;
  // Runs statements through a connection of its own.
  void exec(const std::string& script) const;

 private:
  std::string folder_;
  std::string dsn_;
};

}  // namespace tavrix::testing

// Creating, filling and dropping whole databases: for the simulator's
// --create, the fixtures and the tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrix::localdb {

class SqlConnection;

// Creates an empty dialect-3 database without a default character set (text
// is stored byte for byte) and without forced writes. `dsn` is host:path.
void createDatabase(const std::string& dsn, const std::string& user, const std::string& password);
void dropDatabase(const std::string& dsn, const std::string& user, const std::string& password);

// The statements of a script, split at ";" outside string literals, quoted
// names and comments; blank statements are left out.
std::vector<std::string> splitStatements(std::string_view script);

// Runs every statement of the script, each committed by itself.
void runScript(SqlConnection& connection, std::string_view script);

}  // namespace tavrix::localdb

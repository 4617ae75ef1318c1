// A local statement without a result (UPDATE, DELETE, INSERT, DDL), committed
// by itself when it completes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/localdb/statement_text.h"

namespace tavrix::localdb {

class SqlConnection;

class SqlStatement {
 public:
  explicit SqlStatement(SqlConnection& connection) : connection_(connection) {}

  StatementText& sql() { return sql_; }
  void setSql(std::string_view text) { sql_.assign(text); }
  // Nothing stays open between executions; kept for the close-clear-set-run
  // rhythm of the callers.
  void close() {}

  // Opens the connection first when it is closed. Raises the server's error,
  // after rolling the statement back.
  void execute();

 private:
  SqlConnection& connection_;
  StatementText sql_;
};

// Runs the statements in order in one transaction: all of them take effect, or
// (on the first error, which is raised) none.
void executeAll(SqlConnection& connection, const std::vector<std::string>& statements);

}  // namespace tavrix::localdb

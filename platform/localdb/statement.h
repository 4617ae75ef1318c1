// A local statement without a result (UPDATE, DELETE, INSERT, DDL), committed
// by itself when it completes.
#pragma once

#include <string_view>

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

}  // namespace tavrix::localdb

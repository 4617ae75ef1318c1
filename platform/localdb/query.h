// A local query: closed, given its statement text, opened, then read row by
// row. Each query runs in a transaction of its own, committed when its rows
// are exhausted or it is closed.
#pragma once

#include <ibase.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dataset/field_def.h"
#include "platform/dataset/value.h"
#include "platform/localdb/statement_text.h"

namespace tavrix::localdb {

class SqlConnection;
class SqlQuery;
class Transaction;

// A column of the open query, read on its current row. With no current row
// (an empty result, or past the last row) every value is null: empty text, 0.
class LocalField {
 public:
  const dataset::FieldDef& def() const;
  const std::string& name() const { return def().name; }
  const dataset::Value& value() const;
  bool isNull() const { return value().isNull(); }
  // Text byte for byte; integers in decimal; floats and numerics in the
  // general number format; dates and times in the regional formats.
  std::string asString() const { return value().asText(); }
  double asFloat() const;

 private:
  friend class SqlQuery;
  LocalField(const SqlQuery* query, int index) : query_(query), index_(index) {}
  const SqlQuery* query_;
  int index_;
};

class SqlQuery {
 public:
  explicit SqlQuery(SqlConnection& connection);
  SqlQuery(const SqlQuery&) = delete;
  SqlQuery& operator=(const SqlQuery&) = delete;
  ~SqlQuery();

  StatementText& sql() { return sql_; }
  const StatementText& sql() const { return sql_; }
  // Replaces the statement by one text (which may hold line breaks).
  void setSql(std::string_view text) { sql_.assign(text); }

  // Opens the connection first when it is closed.
  void open();
  void close();
  bool active() const { return active_; }

  // Back to the first row (the statement runs again when the cursor has moved).
  void first();
  void next();
  bool eof() const { return eof_; }

  int fieldCount() const { return static_cast<int>(defs_.size()); }
  LocalField field(int index) const;
  // Letter case is not significant; a missing name raises an error naming it.
  LocalField fieldByName(std::string_view name) const;

  // The number of all rows the statement selects, without its FIRST and SKIP:
  // a FIRST 1 pick still counts every row that satisfies its WHERE.
  int64_t recordCount();

 private:
  friend class LocalField;
  void fetch();
  void finish();

  SqlConnection& connection_;
  StatementText sql_;
  bool active_ = false;
  bool eof_ = true;
  int64_t position_ = 0;  // rows fetched so far
  isc_stmt_handle stmt_ = 0;
  std::unique_ptr<Transaction> tr_;
  struct Columns;
  std::unique_ptr<Columns> columns_;
  std::vector<dataset::FieldDef> defs_;
  std::vector<dataset::Value> row_;
};

// The statement that counts what `select` selects (exposed for tests).
std::string countStatement(std::string_view select);

}  // namespace tavrix::localdb

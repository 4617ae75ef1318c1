// The connection to the till's local database over the InterBase client API.
#pragma once

#include <ibase.h>

#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavrix::localdb {

class SqlQuery;

// Holds an ordered Key=Value parameter list and opens the database with it:
// Database, User_Name, Password, RoleName, SQLDialect, ServerCharSet,
// WaitOnLocks, "Interbase TransIsolation" and "Trim Char" take effect; the
// other keys are kept but mean nothing to this client.
class SqlConnection {
 public:
  using Params = std::vector<std::pair<std::string, std::string>>;

  SqlConnection() = default;
  SqlConnection(const SqlConnection&) = delete;
  SqlConnection& operator=(const SqlConnection&) = delete;
  ~SqlConnection();

  // Keys match without regard to letter case. An empty value removes the
  // entry; a new key goes to the end of the list.
  void setParam(std::string_view key, std::string_view value);
  std::string param(std::string_view key) const;
  const Params& params() const { return params_; }

  // Whether this attachment's reads remove the old row versions they pass
  // (the server's default). Takes effect at the next open().
  void setCollectGarbage(bool on) { collectGarbage_ = on; }

  void open();
  // Closes every query of this connection first.
  void close();
  // After an error that says the attachment is gone, lets it go, so the next
  // statement opens the connection again instead of failing for ever.
  void dropIfLost(const std::exception& error);
  bool connected() const { return db_ != 0; }

  // For queries and statements.
  isc_db_handle* handle() { return &db_; }
  unsigned short dialect() const;
  bool trimChar() const;
  // Isolation and lock resolution items of a transaction parameter block.
  const std::string& isolationParams() const { return isolation_; }
  void attach(SqlQuery* query) { queries_.insert(query); }
  void detach(SqlQuery* query) { queries_.erase(query); }

 private:
  Params params_;
  isc_db_handle db_ = 0;
  bool collectGarbage_ = true;
  std::string isolation_;
  std::set<SqlQuery*> queries_;
};

// One transaction of the connection's isolation, rolled back unless committed:
// every statement runs in one of its own.
class Transaction {
 public:
  enum class Access { ReadOnly, ReadWrite };
  Transaction(SqlConnection& connection, Access access);
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  ~Transaction();

  isc_tr_handle* handle() { return &tr_; }
  void commit();
  void rollback() noexcept;

 private:
  isc_tr_handle tr_ = 0;
};

}  // namespace tavrix::localdb

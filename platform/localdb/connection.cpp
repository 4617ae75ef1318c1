#include "platform/localdb/connection.h"

#include "platform/localdb/client.h"
#include "platform/localdb/ib_status.h"
#include "platform/localdb/query.h"
#include "platform/text/ascii.h"
#include "platform/text/number_text.h"

namespace tavrix::localdb {

namespace {

void addString(std::string& dpb, char tag, const std::string& value) {
  dpb += tag;
  dpb += static_cast<char>(value.size() > 255 ? 255 : value.size());
  dpb.append(value, 0, 255);
}

}  // namespace

SqlConnection::~SqlConnection() {
  try {
    close();
  } catch (...) {
  }
}

void SqlConnection::setParam(std::string_view key, std::string_view value) {
  for (auto it = params_.begin(); it != params_.end(); ++it) {
    if (!text::sameText(it->first, key)) continue;
    if (value.empty())
      params_.erase(it);
    else
      it->second = value;
    return;
  }
  if (!value.empty()) params_.emplace_back(key, value);
}

std::string SqlConnection::param(std::string_view key) const {
  for (const auto& [k, v] : params_)
    if (text::sameText(k, key)) return v;
  return {};
}

unsigned short SqlConnection::dialect() const {
  auto d = text::parseInteger(param("SQLDialect"));
  return d && (*d == 1 || *d == 2) ? static_cast<unsigned short>(*d) : SQL_DIALECT_V6;
}

bool SqlConnection::trimChar() const {
  return text::sameText(param("Trim Char"), "True");
}

void SqlConnection::open() {
  if (connected()) return;
  std::string dpb(1, isc_dpb_version1);
  if (auto v = param("User_Name"); !v.empty()) addString(dpb, isc_dpb_user_name, v);
  if (auto v = param("Password"); !v.empty()) addString(dpb, isc_dpb_password, v);
  if (auto v = param("RoleName"); !v.empty()) addString(dpb, isc_dpb_sql_role_name, v);
  // No character set unless one is asked for: text passes byte for byte.
  if (auto v = param("ServerCharSet"); !v.empty()) addString(dpb, isc_dpb_lc_ctype, v);
  dpb += static_cast<char>(isc_dpb_sql_dialect);
  dpb += static_cast<char>(1);
  dpb += static_cast<char>(dialect());
  if (!collectGarbage_) {
    dpb += static_cast<char>(isc_dpb_no_garbage_collect);
    dpb += static_cast<char>(1);
    dpb += static_cast<char>(0);
  }

  ClientFileName database = clientFileName(param("Database"));
  if (database.utf8) addString(dpb, isc_dpb_utf8_filename, "");
  ISC_STATUS_ARRAY status;
  client().isc_attach_database(status, 0, database.name.c_str(), &db_,
                               static_cast<short>(dpb.size()), dpb.data());
  if (status[0] == 1 && status[1] != 0) {
    db_ = 0;
    check(status);
  }

  // Read committed (the newest committed version of a row) unless repeatable
  // read is asked for; wait on locks unless told not to.
  isolation_.clear();
  auto item = [this](int tag) { isolation_ += static_cast<char>(tag); };
  if (text::sameText(param("Interbase TransIsolation"), "RepeatableRead")) {
    item(isc_tpb_concurrency);
  } else {
    item(isc_tpb_read_committed);
    item(isc_tpb_rec_version);
  }
  item(text::sameText(param("WaitOnLocks"), "False") ? isc_tpb_nowait : isc_tpb_wait);
}

void SqlConnection::close() {
  for (SqlQuery* q : std::set<SqlQuery*>(queries_)) q->close();
  if (!connected()) return;
  ISC_STATUS_ARRAY status;
  client().isc_detach_database(status, &db_);
  db_ = 0;
}

void SqlConnection::dropIfLost(const std::exception& error) {
  auto* db = dynamic_cast<const DatabaseError*>(&error);
  if (db && db->connectionLost()) close();
}

Transaction::Transaction(SqlConnection& connection, Access access) {
  ISC_STATUS_ARRAY status;
  // A read-only read-committed transaction holds back no garbage collection,
  // however long a query stays open.
  std::string tpb{static_cast<char>(isc_tpb_version3),
                  static_cast<char>(access == Access::ReadOnly ? isc_tpb_read : isc_tpb_write)};
  tpb += connection.isolationParams();
  client().isc_start_transaction(status, &tr_, 1, connection.handle(),
                                 static_cast<unsigned short>(tpb.size()), tpb.data());
  check(status);
}

Transaction::~Transaction() {
  rollback();
}

void Transaction::commit() {
  ISC_STATUS_ARRAY status;
  client().isc_commit_transaction(status, &tr_);
  check(status);
  tr_ = 0;
}

void Transaction::rollback() noexcept {
  if (tr_ == 0) return;
  ISC_STATUS_ARRAY status;
  client().isc_rollback_transaction(status, &tr_);
  tr_ = 0;
}

}  // namespace tavrix::localdb

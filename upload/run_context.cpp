#include "upload/run_context.h"

#include "platform/errors.h"
#include "platform/localdb/ib_status.h"
#include "platform/stop/stop.h"
#include "platform/text/big5.h"

namespace tavrix {

namespace {

// A local failure names the statement, for the run log and status.json.
GeneralError inStatement(const std::exception& e, const std::string& statement) {
  return GeneralError(std::string(e.what()) + " (local statement: " + statement + ")");
}

}  // namespace

void LocalDatabase::open(localdb::SqlQuery& query, const std::string& text) {
  stop::checkpoint();
  query.close();
  query.setSql(text);
  try {
    query.open();
  } catch (const localdb::DatabaseError& e) {
    throw inStatement(e, text);
  }
}

void LocalDatabase::run(const std::string& text) {
  statement.close();
  statement.sql().clear();
  statement.sql().add(text);
  try {
    statement.execute();
  } catch (const localdb::DatabaseError& e) {
    throw inStatement(e, text);
  }
}

void RunProgress::working(const char* kind, const std::string& key) {
  status.failedKind = kind;
  status.failedKey = text::big5ToUtf8(key);
}

void RunProgress::confirmed(const char* kind, int records) {
  status.countSent(kind, records);
}

void RunProgress::stuck(const char* kind, const std::string& key, const std::string& reason) {
  std::string why = reason;
  while (!why.empty() && (why.back() == '\n' || why.back() == '\r')) why.pop_back();
  status.stuck.push_back({kind, text::big5ToUtf8(key), text::big5ToUtf8(why)});
}

void RunProgress::held(const char* kind, const std::string& key, const std::string& reason) {
  log.write("Held", reason);
  stuck(kind, key, reason);
  heldRecords.emplace(kind, key);
}

void RunProgress::warn(const std::string& text) {
  log.write("Warning", text);
  status.warnings.push_back(text::big5ToUtf8(text));
}

}  // namespace tavrix

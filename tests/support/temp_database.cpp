#include "tests/support/temp_database.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "platform/localdb/admin.h"
#include "tests/support/service_fixture.h"
#include "upload/start_up.h"

namespace tavrix::testing {

TempDatabase::TempDatabase(const std::string& script) {
  folder_ = makeTempFolder("tavrix-test");
  dsn_ = "127.0.0.1:" + folder_ + "TEST.FDB";
  localdb::createDatabase(dsn_, kUser, kPassword);
  if (!script.empty()) exec(script);
}

TempDatabase::~TempDatabase() {
  try {
    localdb::dropDatabase(dsn_, kUser, kPassword);
  } catch (...) {
  }
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

void TempDatabase::configure(localdb::SqlConnection& c) const {
  setStartUpParams(c, dsn_);
}

void TempDatabase::exec(const std::string& script) const {
  localdb::SqlConnection connection;
  configure(connection);
  localdb::runScript(connection, script);
}

}  // namespace tavrix::testing

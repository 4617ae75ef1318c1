#include "tests/support/service_fixture.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/text/folders.h"

namespace tavrix::testing {

TempFolder::TempFolder() {
  char pattern[] = "/tmp/tavrix-folder-XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("cannot make a temporary folder");
  path_ = std::string(pattern) + "/";
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void TempFolder::write(const std::string& name, const std::string& bytes) const {
  text::writeFile(path_ + name, bytes);
}

std::string TempFolder::read(const std::string& name) const {
  std::ifstream in(path_ + name, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool TempFolder::exists(const std::string& name) const {
  return std::filesystem::exists(path_ + name);
}

ServiceUnderTest::ServiceUnderTest(const std::string& ini) {
  if (!ini.empty()) folder.write("httpset.ini", ini);
  http.DataModuleCreate();
}

}  // namespace tavrix::testing

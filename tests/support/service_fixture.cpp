#include "tests/support/service_fixture.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/text/folders.h"

namespace tavrix::testing {

std::string makeTempFolder(const std::string& prefix) {
  static std::mt19937 random(std::random_device{}());
  std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = prefix + "-";
    for (int i = 0; i < 6; ++i) name += "abcdefghijklmnopqrstuvwxyz0123456789"[random() % 36];
    std::error_code ec;
    if (std::filesystem::create_directory(base / name, ec)) {
      std::filesystem::permissions(base / name, std::filesystem::perms::all, ec);
      return (base / name).generic_string() + "/";
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TempFolder::TempFolder() : path_(makeTempFolder("tavrix-folder")) {}

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
  http.readSettings();
}

}  // namespace tavrix::testing

#include "platform/text/folders.h"

#include <cstdlib>
#include <filesystem>

namespace tavrix::text {

namespace {
std::string withSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}
}  // namespace

std::string executableFolder() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "./";
  return withSlash(exe.parent_path().string());
}

std::string tillFolder() {
  const char* home = std::getenv("TAVRIX_HOME");
  if (home != nullptr && *home != '\0') return withSlash(home);
  return executableFolder();
}

std::string rootFolder() {
  return tillFolder();
}

}  // namespace tavrix::text

#include <cstdio>
#include <filesystem>

#include "platform/text/folders.h"

namespace tavrix::text {

std::string executableFolder() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "./";
  return withSeparator(exe.parent_path().string());
}

bool isAbsolutePath(std::string_view path) {
  return !path.empty() && path[0] == '/';
}

std::string rootFolder() {
  return tillFolder();
}

bool replaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace tavrix::text

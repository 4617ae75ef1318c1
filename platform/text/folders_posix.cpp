#include <cstdio>
#include <cstdlib>
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

std::optional<std::string> environmentValue(const char* name) {
  const char* value = std::getenv(name);
  if (!value) return std::nullopt;
  return value;
}

std::filesystem::path systemPath(const std::string& path) {
  return path;
}

std::FILE* openFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

bool removeFile(const std::string& path) {
  return std::remove(path.c_str()) == 0;
}

bool replaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace tavrix::text

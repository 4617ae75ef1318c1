#include "platform/text/folders.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/errors.h"

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

void writeFile(const std::string& path, std::string_view bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  int error = errno;
  if (f != nullptr && std::fclose(f) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) throw GeneralError("Cannot create file \"" + path + "\". " + std::strerror(error));
}

}  // namespace tavrix::text

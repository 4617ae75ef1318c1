#include "platform/text/folders.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/errors.h"
#include "platform/text/big5.h"

namespace tavrix::text {

std::string withSeparator(std::string folder) {
  if (folder.empty() || (folder.back() != '/' && folder.back() != kPathSeparator))
    folder += kPathSeparator;
  return folder;
}

std::string tillFolder() {
  auto home = environmentValue("TAVRIX_HOME");
  if (home && !home->empty()) return withSeparator(*home);
  return executableFolder();
}

std::optional<std::string> readFile(const std::string& path) {
  std::FILE* f = openFile(path, "rb");
  if (!f) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
  std::fclose(f);
  return bytes;
}

void writeFile(const std::string& path, std::string_view bytes) {
  std::FILE* f = openFile(path, "wb");
  bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  int error = errno;
  if (f != nullptr && std::fclose(f) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok)
    throw GeneralError("Cannot create file \"" + nameInBig5(path) + "\". " + std::strerror(error));
}

}  // namespace tavrix::text

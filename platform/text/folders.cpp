#include "platform/text/folders.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/errors.h"

namespace tavrix::text {

std::string withSeparator(std::string folder) {
  if (folder.empty() || (folder.back() != '/' && folder.back() != kPathSeparator))
    folder += kPathSeparator;
  return folder;
}

std::string tillFolder() {
  const char* home = std::getenv("TAVRIX_HOME");
  if (home != nullptr && *home != '\0') return withSeparator(home);
  return executableFolder();
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

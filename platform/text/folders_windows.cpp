#include <windows.h>

#include "platform/text/folders.h"

namespace tavrix::text {

std::string executableFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n == MAX_PATH) return ".\\";
  std::string exe(path, n);
  return exe.substr(0, exe.find_last_of("\\/") + 1);
}

std::string rootFolder() {
  return "C:\\";
}

// rename() refuses an existing target here.
bool replaceFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace tavrix::text

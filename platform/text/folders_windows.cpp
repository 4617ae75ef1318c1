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

bool isAbsolutePath(std::string_view path) {
  auto separator = [](char c) { return c == '\\' || c == '/'; };
  bool drive = path.size() >= 3 &&
               ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
               path[1] == ':' && separator(path[2]);
  return drive || (!path.empty() && separator(path[0]));
}

std::string rootFolder() {
  return "C:\\";
}

// rename() refuses an existing target here.
bool replaceFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace tavrix::text

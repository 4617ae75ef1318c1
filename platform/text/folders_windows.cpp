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

}  // namespace tavrix::text

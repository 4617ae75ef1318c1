#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/lock/till_lock.h"

namespace tavrix::lock {

namespace {

// The locked byte lies past the process id written at the file's start, so
// that another process can still read the id.
constexpr DWORD kLockedOffset = 4096;

}  // namespace

TillLock::TillLock(const std::string& tillFolder) {
  HANDLE file = CreateFileA((tillFolder + "uploader.lock").c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  OVERLAPPED at = {};
  at.Offset = kLockedOffset;
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    char text[32] = {};
    DWORD n = 0;
    if (ReadFile(file, text, sizeof text - 1, &n, nullptr) && n > 0)
      holder_ = std::strtol(text, nullptr, 10);
    CloseHandle(file);
    return;
  }
  std::string pid = std::to_string(GetCurrentProcessId()) + "\r\n";
  DWORD written = 0;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  WriteFile(file, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
  SetEndOfFile(file);
  handle_ = reinterpret_cast<long long>(file);
  held_ = true;
}

TillLock::~TillLock() {
  if (held_) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace tavrix::lock

#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/lock/till_lock.h"
#include "platform/text/folders.h"

namespace tavrix::lock {

namespace {

// The locked byte lies past the process id written at the file's start, so
// that another process can still read the id.
constexpr DWORD kLockedOffset = 4096;

// The system's words for an error, in UTF-8.
std::string systemReason(DWORD error) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason;
  if (n > 0) {
    int size =
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    reason.resize(static_cast<size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), reason.data(), size, nullptr,
                        nullptr);
  }
  LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == ' ' || reason.back() == '.'))
    reason.pop_back();
  return reason.empty() ? "error " + std::to_string(error) : reason;
}

}  // namespace

TillLock::TillLock(const std::string& tillFolder) {
  std::string path = tillFolder + "uploader.lock";
  HANDLE file = CreateFileW(text::systemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    failure_ = "cannot open the till's lock file \"" + path + "\": " + systemReason(GetLastError());
    return;
  }
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

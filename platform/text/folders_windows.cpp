#include <windows.h>

#include <cstdio>

#include "platform/text/folders.h"

namespace tavrix::text {

namespace {

std::wstring wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string utf8(std::wstring_view text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
  return out;
}

}  // namespace

std::string executableFolder() {
  // No fixed buffer: a till folder may be deeper than MAX_PATH.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return ".\\";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  std::string exe = utf8(path);
  return exe.substr(0, exe.find_last_of("\\/") + 1);
}

std::optional<std::string> environmentValue(const char* name) {
  const wchar_t* value = _wgetenv(wide(name).c_str());
  if (!value) return std::nullopt;
  return utf8(value);
}

bool isAbsolutePath(std::string_view path) {
  auto separator = [](char c) { return c == '\\' || c == '/'; };
  bool drive = path.size() >= 3 &&
               ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
               path[1] == ':' && separator(path[2]);
  return drive || (!path.empty() && separator(path[0]));
}

std::filesystem::path systemPath(const std::string& path) {
  std::wstring name = wide(path);
  // Past MAX_PATH only the "\\?\" form reaches the file, and that form takes
  // a whole path with backslashes alone.
  if (name.size() < 240 || name.starts_with(L"\\\\?\\") || !isAbsolutePath(path)) return name;
  for (wchar_t& c : name)
    if (c == L'/') c = L'\\';
  if (name.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + name.substr(2);
  if (name[1] == L':') return L"\\\\?\\" + name;
  return name;
}

std::FILE* openFile(const std::string& path, const char* mode) {
  return _wfopen(systemPath(path).c_str(), wide(mode).c_str());
}

bool removeFile(const std::string& path) {
  return DeleteFileW(systemPath(path).c_str()) != 0;
}

std::string rootFolder() {
  return "C:\\";
}

// rename() refuses an existing target here.
bool replaceFile(const std::string& from, const std::string& to) {
  return MoveFileExW(systemPath(from).c_str(), systemPath(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace tavrix::text

// Where the till's files live, and the files themselves by name. Names are
// UTF-8 on both systems (on Windows they reach the system through its wide
// API, long ones included). Every folder text ends with a separator: a slash
// on Linux, a backslash on Windows (where a slash inside works as well).
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tavrix::text {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The folder with a separator at its end.
std::string withSeparator(std::string folder);

// A path that names its place without a folder to start from: "/..." on
// Linux; "C:\...", "\\server\..." or "\..." on Windows.
bool isAbsolutePath(std::string_view path);

// The folder of the running executable.
std::string executableFolder();

// An environment variable's value; nothing when it is not set.
std::optional<std::string> environmentValue(const char* name);

// The path as the system's file functions take it (std::filesystem too).
std::filesystem::path systemPath(const std::string& path);

// fopen by a UTF-8 name; null when it cannot (errno tells why).
std::FILE* openFile(const std::string& path, const char* mode);

// The whole file; nothing when it cannot be opened (errno tells why).
std::optional<std::string> readFile(const std::string& path);

// Removes the file; false when it cannot.
bool removeFile(const std::string& path);

// The till folder: TAVRIX_HOME when set, else the executable's folder. It holds
// MCH_NO.TXT, httpset.ini and Data/POS_LOC.GDB.
std::string tillFolder();

// The folder that stands for C:\ (message files, batch copies): C:\ itself on
// Windows, the till folder on Linux.
std::string rootFolder();

// Creates or replaces the file with exactly these bytes. Raises GeneralError
// "Cannot create file "path". reason" when it cannot.
void writeFile(const std::string& path, std::string_view bytes);

// Puts `from` in the place of `to` in one step, whether or not `to` exists:
// a reader sees the old file or the new one, never neither. False when it
// cannot (errno / the last error tells why).
bool replaceFile(const std::string& from, const std::string& to);

}  // namespace tavrix::text

// Where the till's files live. Every folder text ends with a separator: a
// slash on Linux, a backslash on Windows (where a slash inside works as well).
#pragma once

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

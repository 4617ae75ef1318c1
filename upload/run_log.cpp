#include "upload/run_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/text/big5.h"
#include "platform/text/folders.h"

namespace tavrix {

namespace {

// 20180315 of a day file's name.
std::string dayName(const text::Date& d) {
  char name[16];
  std::snprintf(name, sizeof name, "%04d%02d%02d", d.year, d.month, d.day);
  return name;
}

}  // namespace

RunLog::RunLog(const text::Clock& clock, std::string tillFolder)
    : clock_(clock), folder_(tillFolder + "log/") {
  std::error_code ec;
  int64_t today = text::daysFromCivil(clock_.now().date);
  std::string oldest = dayName(text::civilFromDays(today - kKeptDays));
  for (const auto& entry : std::filesystem::directory_iterator(text::systemPath(folder_), ec)) {
    std::string name = entry.path().filename().string();
    bool dayFile =
        name.size() == 12 && name.ends_with(".log") && name.find_first_not_of("0123456789") == 8;
    if (dayFile && name.substr(0, 8) < oldest) std::filesystem::remove(entry.path(), ec);
  }
}

void RunLog::write(std::string_view source, std::string_view line) {
  text::DateTime now = clock_.now();
  std::string entry = text::formatTime(now.time) + " ";
  entry.append(source);
  entry += ' ';
  entry += text::big5ForFile(line);
  entry += "\r\n";

  std::lock_guard lock(mutex_);
  std::string path = folder_ + dayName(now.date) + ".log";
  std::FILE* f = text::openFile(path, "ab");
  if (!f) {  // the first line ever, or someone removed the folder
    std::error_code ec;
    std::filesystem::create_directories(text::systemPath(folder_), ec);
    f = text::openFile(path, "ab");
  }
  bool ok = f && std::fwrite(entry.data(), 1, entry.size(), f) == entry.size();
  int error = errno;
  if (f && std::fclose(f) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) warn("cannot write the run log " + path + ": " + std::strerror(error));
}

void RunLog::warn(const std::string& what) {
  if (warned_) return;
  warned_ = true;
  std::fprintf(stderr, "tavrix: %s (the runs go on without it)\n", what.c_str());
}

}  // namespace tavrix

// The run log on disk: every line either memo receives, one file a day in the
// till's log/ folder, so a till that stops uploading can be read without
// walking to it. Big5 with CR LF, like the till's other files.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "platform/text/clock.h"
#include "upload/host.h"
#include "upload/run_settings.h"

namespace tavrix {

class RunLog {
 public:
  // Removes day files older than kKeptDays from `tillFolder`/log/.
  RunLog(const text::Clock& clock, std::string tillFolder);

  static constexpr int kKeptDays = 30;

  // Appends "hh:nn:ss <source> <line>" to today's file. A log that cannot be
  // written never fails or slows a run: one warning on stderr, and no more.
  void write(std::string_view source, std::string_view line);

 private:
  void warn(const std::string& what);

  const text::Clock& clock_;
  const std::string folder_;
  std::mutex mutex_;
  bool warned_ = false;
};

// The window (or terminal) as the run sees it: every memo line also goes to
// the run log; with boxes=0 a box becomes a progress line.
class LoggedHost : public UploadHost {
 public:
  LoggedHost(UploadHost& inner, RunLog& log, const RunSettings& settings)
      : inner_(inner), log_(log), settings_(settings) {}

  void show(const std::string& text) override {
    if (settings_.boxes) return inner_.show(text);
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    addProgressLine(line);
  }
  void addProgressLine(const std::string& line) override {
    log_.write("Memo1", line);
    inner_.addProgressLine(line);
  }
  void clearProgress() override { inner_.clearProgress(); }
  int progressLineCount() const override { return inner_.progressLineCount(); }
  void addFailureLine(const std::string& line) override {
    log_.write("Memo2", line);
    inner_.addFailureLine(line);
  }
  void setCaption(const std::string& caption) override { inner_.setCaption(caption); }
  int kindCount() const override { return inner_.kindCount(); }
  void tickKind(int index) override { inner_.tickKind(index); }
  int mode() const override { return inner_.mode(); }
  text::Date oneDayDate() const override { return inner_.oneDayDate(); }
  void armUploadTimer() override { inner_.armUploadTimer(); }
  void armUploadTimerAfter(std::chrono::minutes delay) override {
    inner_.armUploadTimerAfter(delay);
  }

 private:
  UploadHost& inner_;
  RunLog& log_;
  const RunSettings& settings_;
};

}  // namespace tavrix

// An upload engine wired to a real till database, a real simulator and a
// host that records what the window would show.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/support/service_fixture.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_database.h"
#include "upload/upload_engine.h"

namespace tavrix::testing {

class RecordingHost : public UploadHost {
 public:
  std::vector<std::string> progress, failures, boxes, ticks;
  std::string caption;
  int selectedMode = 0;
  text::Date date{2018, 3, 15};
  int timerArms = 0;

  void show(const std::string& text) override { boxes.push_back(text); }
  // Called with every progress line as it is written: a test's way into the
  // middle of a run.
  std::function<void(const std::string& line)> onProgressLine;

  void addProgressLine(const std::string& line) override {
    progress.push_back(line);
    if (onProgressLine) onProgressLine(line);
  }
  void clearProgress() override { progress.clear(); }
  int progressLineCount() const override { return static_cast<int>(progress.size()); }
  void addFailureLine(const std::string& line) override { failures.push_back(line); }
  void setCaption(const std::string& text) override { caption = text; }
  int kindCount() const override { return 9; }
  void tickKind(int index) override { ticks.push_back(std::to_string(index)); }
  int mode() const override { return selectedMode; }
  text::Date oneDayDate() const override { return date; }
  void armUploadTimer() override { ++timerArms; }
  void armUploadTimerAfter(std::chrono::minutes delay) override { watchArms.push_back(delay); }
  std::vector<std::chrono::minutes> watchArms;
};

struct UploadRig {
  explicit UploadRig(const std::vector<std::string>& simOptions = {},
                     const std::string& machine = "01,W01,S01");

  // Statements on the till database, each committed.
  void local(const std::string& script) const { till.exec(script); }
  // The rows a SELECT gives, each row its values as text joined by "|".
  std::vector<std::string> localRows(const std::string& select) const;
  std::vector<std::string> headOfficeRows(const std::string& select) const;
  void headOffice(const std::string& script) const;
  // The progress log as UTF-8 lines, from the first line that starts with `from`.
  std::vector<std::string> progressFrom(const std::string& from) const;

  SimProcess sim;
  TempDatabase till;
  TempFolder folder;
  FixedClock clock{fixedMoment()};
  RecordingHost host;
  HostBox box;  // the client's box, through the engine's host
  HeadOfficeService http{clock, box, folder.path(), folder.path()};
  UploadEngine engine{host, http, clock, folder.path(), folder.path()};
};

}  // namespace tavrix::testing

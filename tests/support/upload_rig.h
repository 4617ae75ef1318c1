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
  std::vector<std::string> memo1, memo2, boxes, ticks;
  std::string caption;
  int selectedMode = 0;
  text::Date date{2018, 3, 15};
  int timerArms = 0;

  void show(const std::string& text) override { boxes.push_back(text); }
  // Called with every Memo1 line as it is written: a test's way into the
  // middle of a run.
  std::function<void(const std::string& line)> onMemo1;

  void memo1Add(const std::string& line) override {
    memo1.push_back(line);
    if (onMemo1) onMemo1(line);
  }
  void memo1Clear() override { memo1.clear(); }
  int memo1LineCount() const override { return static_cast<int>(memo1.size()); }
  void memo2Add(const std::string& line) override { memo2.push_back(line); }
  void setCaption(const std::string& text) override { caption = text; }
  int checkItemCount() const override { return 9; }
  void tickCheckItem(int index) override { ticks.push_back(std::to_string(index)); }
  int mode() const override { return selectedMode; }
  text::Date oneDayDate() const override { return date; }
  void armTimer1() override { ++timerArms; }
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
  // Memo1 as UTF-8 lines, from the first line that starts with `from`.
  std::vector<std::string> memo1From(const std::string& from) const;

  SimProcess sim;
  TempDatabase till;
  TempFolder folder;
  FixedClock clock{fixedMoment()};
  RecordingHost host;
  TDataModHttp http{clock, host, folder.path(), folder.path()};
  UploadEngine engine{host, http, clock, folder.path(), folder.path()};
};

}  // namespace tavrix::testing

// The till window's behaviour against a view of the tests' own: start-up,
// the upload timer, hiding, the keys, runs off the window's thread, closing
// and a stop from outside. Run on Linux and, under wine, on Windows.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>

#include "app/till_window.h"
#include "platform/localdb/admin.h"
#include "platform/stop/stop.h"
#include "platform/text/big5.h"
#include "tests/support/raw_server.h"
#include "tests/support/service_fixture.h"
#include "tests/support/temp_database.h"
#include "tests/support/test_window_view.h"
#include "upload/start_up.h"

namespace tavrix {
namespace {

using testing::FixedClock;
using testing::TempFolder;
using testing::TestWindowView;

// A till folder (machine " 01 ", a real empty database) and the window on
// it; the service is on a port where nothing listens.
struct Till : ModalBox {
  explicit Till(std::vector<std::string> args, bool withMachineFile = true) {
    if (withMachineFile) folder.write("MCH_NO.TXT", " 01 \r\nsecond line\r\n");
    folder.write("httpset.ini", "[set]\r\nport=1\r\n");
    std::filesystem::create_directories(folder.path() + "Data");
    std::filesystem::permissions(folder.path() + "Data", std::filesystem::perms::all);
    localdb::createDatabase(dsn(), testing::kUser, testing::kPassword);
    window = std::make_unique<TillWindow>(
        view, http, clock, TillWindow::Options{std::move(args), folder.path(), folder.path()});
    window->start();
    http.readSettings();
  }
  ~Till() override {
    window.reset();
    try {
      localdb::dropDatabase(dsn(), testing::kUser, testing::kPassword);
    } catch (...) {
    }
  }
  std::string dsn() const { return tillDatabase(folder.path()); }
  void show(const std::string& text) override { window->show(text); }
  // Handles the window's events until `done`; false when it took too long.
  bool waitUntil(const std::function<bool()>& done, int seconds = 15) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() > until) return false;
      view.processEvents();
    }
    return true;
  }

  TempFolder folder;
  FixedClock clock{{{2018, 3, 15}, {9, 0, 0, 0}}};
  HeadOfficeService http{clock, *this, folder.path(), folder.path()};
  TestWindowView view;
  std::unique_ptr<TillWindow> window;
};

TEST(Window, StartUpReadsTheCommandLineTheMachineAndTheConnection) {
  const text::Date today{2018, 3, 15}, given{2018, 3, 1};
  struct Case {
    std::vector<std::string> args;
    int mode;
    text::Date date;
  };
  for (const Case& c : std::vector<Case>{{{}, 0, today},
                                         {{"1", "2018/03/01"}, 1, given},
                                         {{"1", "xyz"}, 1, today},
                                         {{"1"}, 1, today},
                                         {{"0", "2018/03/01"}, 0, today},
                                         {{"5", "2018/03/01"}, 1, given},
                                         {{"-3"}, -1, today},
                                         {{"abc"}, 0, today}}) {
    Till till(c.args);
    std::string label = c.args.empty() ? "(none)" : c.args[0];
    EXPECT_EQ(till.view.selectedMode, c.mode) << label;
    EXPECT_EQ(text::formatDate(till.view.pickedDay), text::formatDate(c.date)) << label;
    EXPECT_TRUE(till.view.errors.empty()) << label << ": " << till.view.errors.front();
  }
  Till till({});
  EXPECT_EQ(till.window->engine.MachineNo, " 01 ");
  EXPECT_EQ(till.window->engine.localConnection().param("Database"), till.dsn());
  EXPECT_TRUE(till.window->engine.localConnection().connected());
  EXPECT_TRUE(till.view.timerActive);
  EXPECT_EQ(till.view.timerInterval, 1000);
  EXPECT_TRUE(till.view.visible);  // the hide request of start-up finds no main window
}

TEST(Window, AMissingMachineFileIsShownAndTheTimerStillRuns) {
  Till till({}, false);
  ASSERT_EQ(till.view.errors.size(), 1u);
  EXPECT_NE(till.view.errors[0].find("MCH_NO.TXT"), std::string::npos) << till.view.errors[0];
  EXPECT_EQ(till.window->engine.MachineNo, "");
  EXPECT_EQ(till.window->engine.localConnection().param("Database"), "database.gdb");
  EXPECT_TRUE(till.view.timerActive);
}

TEST(Window, TheFirstTickHidesTheWindowUnlessShowIsTickedOrThereIsNoTray) {
  {
    Till till({"1"});
    till.window->uploadTimerTick();
    EXPECT_FALSE(till.view.visible);
    EXPECT_EQ(till.window->uploadTimerInterval(), 3000);
    EXPECT_FALSE(till.view.timerActive);  // mode 1: no run, no next tick
    EXPECT_EQ(till.view.progress, std::vector<std::string>{"Timer1..."});
    EXPECT_FALSE(till.window->runInProgress());
    till.window->showFromTray();
    EXPECT_TRUE(till.view.visible);
    till.window->uploadTimerTick();  // only the first tick hides
    EXPECT_TRUE(till.view.visible);
    till.window->hideToTray();
    EXPECT_FALSE(till.view.visible);
  }
  struct Case {
    bool keepShown, tray;
    const char* label;
  };
  for (const Case& c : {Case{true, true, "keep shown"}, Case{false, false, "no tray"}}) {
    Till till({"1"});
    till.view.keepShownTicked = c.keepShown;
    till.view.tray = c.tray;
    till.window->uploadTimerTick();
    till.window->hideToTray();
    EXPECT_TRUE(till.view.visible) << c.label;
  }
}

TEST(Window, F1StartsARunWithAFreshFailCountOffTheWindowsThread) {
  Till till({"1"});
  till.window->engine.FailCount = 3;
  till.window->keyPressed(TillWindow::Key::F1);
  EXPECT_TRUE(till.window->runInProgress());
  ASSERT_TRUE(till.waitUntil([&] { return !till.window->runInProgress(); }));
  EXPECT_EQ(till.window->engine.FailCount, 1);  // reset, then this run failed
  EXPECT_EQ(till.view.boxes.front(), text::B5("機號: 01 "));
  ASSERT_EQ(till.view.failures.size(), 1u);
  EXPECT_EQ(till.view.failures[0].find(text::B5("錯誤的連線(主機)..")), 0u);
  EXPECT_TRUE(till.view.timerActive);  // a failure below three re-arms it
  EXPECT_FALSE(till.view.ticked[0]);
}

TEST(Window, ATickOrF1DuringARunStartsNothingAndF6WaitsForTheRun) {
  Till till({"0"});
  till.view.keepShownTicked = true;  // the first tick would hide the window
  bool endedDuringRun = true;
  till.view.onBox = [&] {
    if (till.view.boxes.size() != 1) return;
    till.window->uploadTimerTick();
    till.window->keyPressed(TillWindow::Key::F1);
    till.window->keyPressed(TillWindow::Key::F6);
    endedDuringRun = till.view.ended;
  };
  till.window->startRun();
  ASSERT_TRUE(till.waitUntil([&] { return !till.window->runInProgress(); }));
  EXPECT_FALSE(endedDuringRun);
  EXPECT_EQ(till.view.progress.size(), 4u);  // one run's three lines and the tick's
  EXPECT_EQ(std::count(till.view.progress.begin(), till.view.progress.end(), "Timer1..."), 1);
  EXPECT_NE(till.folder.read("log/20180315.log").find("09:00:00 Memo1 Timer1...\r\n"),
            std::string::npos);  // the window's own line reaches the run log too
  EXPECT_TRUE(till.view.ended);  // closed after the run
}

TEST(Window, AStopClosesTheBoxesAndTheWindowWithoutSittingOutTheHeadOfficesWait) {
  // A head office that takes the request and never answers.
  testing::RawServer silent([](testing::RawConnection& c, int) {
    c.readRequest();
    c.waitForClose();
  });
  Till till({"0"});
  till.folder.write("httpset.ini", "[set]\r\nport=" + std::to_string(silent.port()) + "\r\n");
  till.http.readSettings();
  till.window->startRun();
  ASSERT_TRUE(till.waitUntil([&] { return !silent.requests().empty(); }));
  stop::request(SIGTERM);
  till.window->stopFromOutside();
  EXPECT_EQ(till.view.boxesClosed, 1);
  EXPECT_TRUE(till.waitUntil([&] { return !till.window->runInProgress(); }, 30));
  EXPECT_TRUE(till.view.ended);
  EXPECT_NE(till.folder.read("status.json").find("\"stopped\""), std::string::npos);
  stop::reset();
}

TEST(Window, F6EndsTheProgramAtOnce) {
  Till till({"1"});
  till.window->keyPressed(TillWindow::Key::F6);
  EXPECT_TRUE(till.view.ended);
}

}  // namespace
}  // namespace tavrix

// The window, offscreen: start-up, Timer1, the keys, runs off the window's thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <csignal>

#include "app/FrmTavrix.h"
#include "platform/localdb/admin.h"
#include "platform/stop/stop.h"
#include "platform/text/big5.h"
#include "tests/support/service_fixture.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_database.h"

namespace tavrix {
namespace {

using testing::FixedClock;
using testing::TempFolder;

bool waitUntil(const std::function<bool()>& done, int ms = 15000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// A till folder (machine " 01 ", a real empty database) and the window on
// it, its boxes recorded; the service is on a port where nothing listens.
struct Gui : ModalBox {
  explicit Gui(std::vector<std::string> args, bool withMachineFile = true) {
    if (withMachineFile) folder.write("MCH_NO.TXT", " 01 \r\nsecond line\r\n");
    folder.write("httpset.ini", "[set]\r\nport=1\r\n");
    std::filesystem::create_directories(folder.path() + "Data");
    std::filesystem::permissions(folder.path() + "Data", std::filesystem::perms::all);
    localdb::createDatabase(dsn(), testing::kUser, testing::kPassword);
    TFormTavrix_OnLine::Options o;
    o.args = std::move(args);
    o.tillFolder = folder.path();
    o.trayAvailable = true;
    o.messageBox = [this](QWidget*, const QString& text) {
      boxes.push_back(text.toStdString());
      if (onBox) onBox();
    };
    o.errorBox = [this](QWidget*, const QString& text) { errors.push_back(text.toStdString()); };
    window = std::make_unique<TFormTavrix_OnLine>(http, clock, o);
    http.DataModuleCreate();
    window->QWidget::show();
  }
  ~Gui() override {
    window.reset();
    try {
      localdb::dropDatabase(dsn(), testing::kUser, testing::kPassword);
    } catch (...) {
    }
  }
  std::string dsn() const { return "127.0.0.1:" + folder.path() + "Data/POS_LOC.GDB"; }
  void show(const std::string& text) override { window->show(text); }
  QDate date() const { return window->DateTimePicker1->date(); }
  std::string memo1() const { return window->Memo1->toPlainText().toStdString(); }

  TempFolder folder;
  FixedClock clock{{{2018, 3, 15}, {9, 0, 0, 0}}};
  TDataModHttp http{clock, *this, folder.path(), folder.path()};
  std::unique_ptr<TFormTavrix_OnLine> window;
  std::vector<std::string> boxes, errors;
  std::function<void()> onBox;
};

TEST(Window, StartUpReadsTheCommandLineTheMachineAndTheConnection) {
  const QDate today(2018, 3, 15), given(2018, 3, 1);
  struct Case {
    std::vector<std::string> args;
    int mode;
    QDate date;
  };
  for (const Case& c : std::vector<Case>{{{}, 0, today},
                                         {{"1", "2018/03/01"}, 1, given},
                                         {{"1", "xyz"}, 1, today},
                                         {{"1"}, 1, today},
                                         {{"0", "2018/03/01"}, 0, today},
                                         {{"5", "2018/03/01"}, 1, given},
                                         {{"-3"}, -1, today},
                                         {{"abc"}, 0, today}}) {
    Gui gui(c.args);
    std::string label = c.args.empty() ? "(none)" : c.args[0];
    EXPECT_EQ(gui.window->mode(), c.mode) << label;
    EXPECT_EQ(gui.date(), c.date) << label;
    EXPECT_TRUE(gui.errors.empty()) << label << ": " << gui.errors.front();
  }
  Gui gui({});
  EXPECT_EQ(gui.window->engine.MachineNo, " 01 ");
  EXPECT_EQ(gui.window->engine.SQLCon_Loc.param("Database"), gui.dsn());
  EXPECT_TRUE(gui.window->engine.SQLCon_Loc.connected());
  EXPECT_TRUE(gui.window->Timer1->isActive());
  EXPECT_EQ(gui.window->Timer1->interval(), 1000);
  EXPECT_EQ(gui.window->windowTitle().toStdString(), "FormTavrix_OnLine");
  EXPECT_EQ(gui.window->size(), QSize(600, 382));
  EXPECT_TRUE(gui.window->isVisible());  // the hide request of start-up finds no main window
}

TEST(Window, AMissingMachineFileIsShownAndTheTimerStillRuns) {
  Gui gui({}, false);
  ASSERT_EQ(gui.errors.size(), 1u);
  EXPECT_NE(gui.errors[0].find("MCH_NO.TXT"), std::string::npos) << gui.errors[0];
  EXPECT_EQ(gui.window->engine.MachineNo, "");
  EXPECT_EQ(gui.window->engine.SQLCon_Loc.param("Database"), "database.gdb");
  EXPECT_TRUE(gui.window->Timer1->isActive());
}

TEST(Window, TheFirstTickHidesTheWindowUnlessShowIsTicked) {
  {
    Gui gui({"1"});
    gui.window->Timer1Timer();
    EXPECT_FALSE(gui.window->isVisible());
    EXPECT_EQ(gui.window->Timer1->interval(), 3000);
    EXPECT_FALSE(gui.window->Timer1->isActive());  // mode 1: no run, no next tick
    EXPECT_EQ(gui.memo1(), "Timer1...");
    EXPECT_FALSE(gui.window->runInProgress());
    gui.window->ShowWindow1Click();
    EXPECT_TRUE(gui.window->isVisible());
    gui.window->Timer1Timer();  // only the first tick hides
    EXPECT_TRUE(gui.window->isVisible());
  }
  Gui gui({"1"});
  gui.window->CheckBox1->setChecked(true);
  gui.window->Timer1Timer();
  gui.window->fcImageBtn20Click();
  gui.window->HideWindow1Click();
  EXPECT_TRUE(gui.window->isVisible());
}

TEST(Window, F1StartsARunWithAFreshFailCountOffTheWindowsThread) {
  Gui gui({"1"});
  gui.window->engine.FailCount = 3;
  QTest::keyClick(gui.window->Memo1, Qt::Key_F1);
  EXPECT_TRUE(gui.window->runInProgress());
  ASSERT_TRUE(waitUntil([&] { return !gui.window->runInProgress(); }));
  EXPECT_EQ(gui.window->engine.FailCount, 1);  // reset, then this run failed
  EXPECT_EQ(gui.boxes.front(), text::big5ToUtf8(text::B5("機號: 01 ")));
  EXPECT_NE(gui.window->Memo2->toPlainText().toStdString().find("錯誤的連線(主機).."),
            std::string::npos);
  EXPECT_TRUE(gui.window->Timer1->isActive());  // a failure below three re-arms it
  EXPECT_EQ(gui.window->CheckListBox1->item(0)->checkState(), Qt::Unchecked);
}

TEST(Window, ATickOrF1DuringARunStartsNothingAndF6WaitsForTheRun) {
  Gui gui({"0"});
  gui.window->CheckBox1->setChecked(true);  // the first tick would hide the window
  bool closedDuringRun = true;
  gui.onBox = [&] {
    if (gui.boxes.size() != 1) return;
    gui.window->Timer1Timer();
    QTest::keyClick(gui.window->Memo1, Qt::Key_F1);
    QTest::keyClick(gui.window->Memo1, Qt::Key_F6);
    closedDuringRun = !gui.window->isVisible();
  };
  gui.window->SpeedButton1Click();
  ASSERT_TRUE(waitUntil([&] { return !gui.window->runInProgress(); }));
  EXPECT_FALSE(closedDuringRun);
  std::string memo = gui.memo1();
  EXPECT_EQ(std::count(memo.begin(), memo.end(), '\n'), 3) << memo;  // one run's three lines
  EXPECT_NE(memo.find("Timer1..."), std::string::npos);
  EXPECT_NE(gui.folder.read("log/20180315.log").find("09:00:00 Memo1 Timer1...\r\n"),
            std::string::npos);  // the window's own line reaches the run log too
  EXPECT_TRUE(waitUntil([&] { return !gui.window->isVisible(); }));  // closed after the run
}

TEST(Window, ASignalClosesTheWindowWithoutSittingOutTheHeadOfficesWait) {
  testing::TempFolder requests;
  testing::SimProcess sim({"--delay", "120000", "--record", requests.path()});
  Gui gui({"0"});
  gui.folder.write("httpset.ini", sim.httpsetIni());
  gui.http.DataModuleCreate();
  gui.window->CheckBox1->setChecked(true);
  stop::takeSignals();
  gui.window->SpeedButton1Click();
  // The machine check is at the head office, whose answer is two minutes away.
  ASSERT_TRUE(waitUntil([&] { return testing::hasRequest(requests.path(), "MCH_ITEM"); }));
  ::kill(::getpid(), SIGINT);
  EXPECT_TRUE(waitUntil([&] { return !gui.window->runInProgress(); }, 30000));
  EXPECT_FALSE(gui.window->isVisible());
  EXPECT_EQ(stop::signalNumber(), SIGINT);
  stop::reset();
}

TEST(Window, F6EndsTheProgramAtOnce) {
  Gui gui({"1"});
  QTest::keyClick(gui.window->CheckListBox1, Qt::Key_F6);
  EXPECT_FALSE(gui.window->isVisible());
}

}  // namespace
}  // namespace tavrix

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// The Qt window with a real system tray (tests/with_tray: Xvfb and trayer),
// driven as a person would, with real mouse clicks on the tray icon.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>

#include <cstdlib>
#include <filesystem>

#include "app/qt_window.h"
#include "app/till_window.h"
#include "platform/localdb/admin.h"
#include "platform/lock/till_lock.h"
#include "tests/support/service_fixture.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_database.h"
#include "upload/start_up.h"

namespace tavrix {
namespace {

using testing::FixedClock;
using testing::RecordingBox;
using testing::TempFolder;

bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// A real pointer: xdotool moves it and clicks (button 1 twice, or button 3).
void click(QPoint at, const char* how) {
  std::string command = "xdotool mousemove " + std::to_string(at.x()) + " " +
                        std::to_string(at.y()) + " click " + how + " 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

QImage iconPicture(QtWindow& view) {
  QRect at = view.trayIcon->geometry();
  return QApplication::primaryScreen()
      ->grabWindow(0, at.x(), at.y(), at.width(), at.height())
      .toImage();
}

// A till in the one-day mode (no run starts by itself), its window shown.
struct TrayTill {
  TrayTill() {
    folder.write("MCH_NO.TXT", "01\r\n");
    folder.write("httpset.ini", "[set]\r\nport=1\r\n");
    std::filesystem::create_directories(folder.path() + "Data");
    std::filesystem::permissions(folder.path() + "Data", std::filesystem::perms::all);
    localdb::createDatabase(tillDatabase(folder.path()), testing::kUser, testing::kPassword);
    view.attach(window, folder.path());
    window.start();
  }
  ~TrayTill() {
    try {
      localdb::dropDatabase(tillDatabase(folder.path()), testing::kUser, testing::kPassword);
    } catch (...) {
    }
  }

  TempFolder folder;
  FixedClock clock{{{2018, 3, 15}, {9, 0, 0, 0}}};
  RecordingBox box;
  HeadOfficeService http{clock, box, folder.path(), folder.path()};
  QtWindow view;
  TillWindow window{view, http, clock, {{"1"}, folder.path(), folder.path()}};
};

TEST(Tray, TheFirstTickHidesTheWindowAndADoubleClickOnTheIconShowsIt) {
  TrayTill till;
  ASSERT_TRUE(till.view.trayAvailable());
  EXPECT_EQ(till.view.windowTitle().toStdString(), "FormTavrix_OnLine");
  EXPECT_EQ(till.view.size(), QSize(600, 382));
  till.view.show();
  ASSERT_TRUE(waitUntil([&] { return till.view.isVisible(); }));
  till.window.uploadTimerTick();
  EXPECT_FALSE(till.view.isVisible());
  ASSERT_TRUE(waitUntil([&] { return till.view.trayIcon->geometry().isValid(); }));
  click(till.view.trayIcon->geometry().center(), "--repeat 2 --delay 80 1");
  EXPECT_TRUE(waitUntil([&] { return till.view.isVisible(); }));
}

TEST(Tray, TheMenuShowsAndHidesTheWindowAndItsOtherItemsDoNothing) {
  TrayTill till;
  till.view.show();
  ASSERT_TRUE(waitUntil([&] { return till.view.trayIcon->geometry().isValid(); }));
  QList<QAction*> items = till.view.trayMenu->actions();
  std::vector<std::string> texts;
  for (QAction* item : items)
    texts.push_back(item->isSeparator() ? "-" : item->text().toStdString());
  EXPECT_EQ(texts, (std::vector<std::string>{"&Show window", "&Hide window", "-",
                                             "Show &balloon hint", "-", "E&xit"}));
  EXPECT_EQ(till.view.trayMenu->defaultAction(), items[0]);

  // Opens the menu with a right-click on the icon and clicks the item.
  auto choose = [&](QAction* item) {
    click(till.view.trayIcon->geometry().center(), "3");
    ASSERT_TRUE(waitUntil([&] { return till.view.trayMenu->isVisible(); }));
    QRect at = till.view.trayMenu->actionGeometry(item);
    click(till.view.trayMenu->mapToGlobal(at.center()), "1");
    ASSERT_TRUE(waitUntil([&] { return !till.view.trayMenu->isVisible(); }));
  };
  choose(items[1]);
  EXPECT_TRUE(waitUntil([&] { return !till.view.isVisible(); }));
  choose(items[5]);  // "Exit": only MGR離開 and F6 end the program
  choose(items[3]);
  QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
  EXPECT_FALSE(till.view.isVisible());
  choose(items[0]);
  EXPECT_TRUE(waitUntil([&] { return till.view.isVisible(); }));
}

TEST(Tray, TheIconTurnsFromTheFirstTimeTheWindowShows) {
  TrayTill till;
  ASSERT_TRUE(waitUntil([&] { return till.view.trayIcon->geometry().isValid(); }));
  QCoreApplication::processEvents(QEventLoop::AllEvents, 500);
  QImage before = iconPicture(till.view);
  QCoreApplication::processEvents(QEventLoop::AllEvents, 900);
  EXPECT_EQ(iconPicture(till.view), before);  // still until the window shows
  till.view.show();
  QImage first;
  ASSERT_TRUE(waitUntil([&] { return (first = iconPicture(till.view)) != before; }));
  EXPECT_TRUE(waitUntil([&] { return iconPicture(till.view) != first; }, 2000));
}

// One window per till: a second tavrix-online brings this one forward, out
// of the tray, and ends.
TEST(Tray, ASecondWindowOnTheTillBringsTheFirstForward) {
  TrayTill till;
  lock::TillLock lock(till.folder.path());
  ASSERT_TRUE(lock.held());
  till.view.show();
  till.window.uploadTimerTick();
  ASSERT_FALSE(till.view.isVisible());
  ::setenv("TAVRIX_HOME", till.folder.path().c_str(), 1);
  testing::ChildProcess second({TAVRIX_BIN_DIR "/tavrix-online", "1"});
  EXPECT_TRUE(waitUntil([&] { return till.view.isVisible(); }));
  EXPECT_EQ(second.wait(), 0) << second.output();
  ::unsetenv("TAVRIX_HOME");
}

}  // namespace
}  // namespace tavrix

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

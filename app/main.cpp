// tavrix-online on Linux: the till program on a Qt window.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <string_view>

#include "app/qt_window.h"
#include "app/till_program.h"
#include "platform/lock/till_lock.h"
#include "platform/stop/stop.h"
#include "platform/text/folders.h"
#include "upload/program_version.h"

int main(int argc, char** argv) {
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    std::fputs(tavrix::versionReport("tavrix-online").c_str(), stdout);
    return 0;
  }
  tavrix::stop::takeSignals();
  QApplication app(argc, argv);
  app.setApplicationDisplayName("Tavrix OnLine");
  app.setQuitOnLastWindowClosed(false);  // hidden to the tray is not closed
  // One uploader per till: a second window brings the first one forward.
  tavrix::lock::TillLock lock(tavrix::text::tillFolder());
  if (!lock.failure().empty()) {
    QMessageBox::critical(nullptr, "Tavrix OnLine", QString::fromStdString(lock.failure()));
    return 1;
  }
  if (!lock.held()) {
    tavrix::QtWindow::bringForward(tavrix::text::tillFolder());
    return 0;
  }
  tavrix::QtWindow view;
  return tavrix::runTillProgram(
      argc, argv, view,
      [&](tavrix::TillWindow& window) { view.attach(window, tavrix::text::tillFolder()); },
      [&] {
        view.show();
        return app.exec();
      });
}

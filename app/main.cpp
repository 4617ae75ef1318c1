// tavrix-online on Linux: the till program on a Qt window.
#include <QApplication>

#include "app/qt_window.h"
#include "app/till_program.h"
#include "platform/stop/stop.h"

int main(int argc, char** argv) {
  tavrix::stop::takeSignals();
  QApplication app(argc, argv);
  app.setApplicationDisplayName("Tavrix OnLine");
  app.setQuitOnLastWindowClosed(false);  // hidden to the tray is not closed
  tavrix::QtWindow view;
  return tavrix::runTillProgram(
      argc, argv, view, [&](tavrix::TillWindow& window) { view.attach(window); },
      [&] {
        view.show();
        return app.exec();
      });
}

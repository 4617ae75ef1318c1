// tavrix-online on Windows: the till program on a Win32 window.
#include "app/till_program.h"
#include "app/win32_window.h"
#include "platform/stop/stop.h"

int main(int argc, char** argv) {
  tavrix::stop::takeSignals();
  tavrix::Win32Window view;
  return tavrix::runTillProgram(
      argc, argv, view, [&](tavrix::TillWindow& window) { view.attach(window); },
      [&] { return view.run(); });
}

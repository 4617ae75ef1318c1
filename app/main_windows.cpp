// tavrix-online on Windows: the till program on a Win32 window.
#include <windows.h>

#include <string>

#include "app/till_program.h"
#include "app/win32_window.h"
#include "platform/lock/till_lock.h"
#include "platform/stop/stop.h"
#include "platform/text/folders.h"

int main(int argc, char** argv) {
  tavrix::stop::takeSignals();
  // One uploader per till: a second window brings the first one forward.
  tavrix::lock::TillLock lock(tavrix::text::tillFolder());
  if (const std::string& failure = lock.failure(); !failure.empty()) {
    std::wstring text(failure.size(), L'\0');
    text.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, 0, failure.data(), static_cast<int>(failure.size()),
                            text.data(), static_cast<int>(text.size()))));
    MessageBoxW(nullptr, text.c_str(), L"Tavrix OnLine", MB_OK | MB_ICONERROR);
    return 1;
  }
  if (!lock.held()) {
    tavrix::Win32Window::bringForward(lock.holder());
    return 0;
  }
  tavrix::Win32Window view;
  return tavrix::runTillProgram(
      argc, argv, view, [&](tavrix::TillWindow& window) { view.attach(window); },
      [&] { return view.run(); });
}

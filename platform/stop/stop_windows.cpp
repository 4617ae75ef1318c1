// Ctrl+C, Ctrl+Break and the console's close, log-off and shut-down events
// stand for SIGINT and SIGTERM; an event object wakes whoever waits.
#include <windows.h>

#include <csignal>

#include "platform/stop/stop.h"
#include "platform/stop/wake.h"

namespace tavrix::stop {

namespace {

HANDLE wakeEvent() {
  static HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  return event;
}

BOOL WINAPI onConsoleEvent(DWORD event) {
  request(event == CTRL_C_EVENT ? SIGINT : SIGTERM);
  // The system ends the process when this returns from a close, log-off or
  // shut-down event: give the run its few seconds to reach a safe point.
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) Sleep(5000);
  return TRUE;
}

}  // namespace

namespace detail {

void wakeWaiters() {
  SetEvent(wakeEvent());
}

void clearWake() {
  ResetEvent(wakeEvent());
}

}  // namespace detail

void takeSignals() {
  wakeEvent();
  SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool sleepFor(std::chrono::milliseconds duration) {
  if (requested()) return true;
  return WaitForSingleObject(wakeEvent(), static_cast<DWORD>(duration.count())) == WAIT_OBJECT_0;
}

int descriptor() {
  return -1;  // no descriptors to watch here: event loops poll requested()
}

}  // namespace tavrix::stop

// What the till window's behaviour needs of the window that draws it: its
// controls, showing and hiding, the upload timer, the boxes, and a way onto
// the window's thread. The Qt window (Linux), the Win32 window (Windows) and
// the tests' view each implement it. Texts are Big5.
#pragma once

#include <functional>
#include <string>

#include "platform/text/regional.h"

namespace tavrix {

class WindowView {
 public:
  virtual ~WindowView() = default;

  // Runs f on the window's thread; from another thread, waits until it has run.
  virtual void onWindowThread(const std::function<void()>& f) = 0;
  // Queues f for the window's thread and returns at once.
  virtual void postToWindowThread(std::function<void()> f) = 0;
  // Handles what waits for the window's thread, waiting briefly for it.
  virtual void processEvents() = 0;

  // The mode group: -1 none, 0 not yet transferred, 1 one day.
  virtual int mode() const = 0;
  virtual void setMode(int mode) = 0;
  // The "顯示" check box: the window stays shown.
  virtual bool keepShown() const = 0;
  virtual text::Date day() const = 0;
  virtual void setDay(const text::Date& day) = 0;
  virtual void addProgressLine(const std::string& line) = 0;
  virtual void clearProgress() = 0;
  virtual int progressLineCount() const = 0;
  virtual void addFailureLine(const std::string& line) = 0;
  virtual void setCaption(const std::string& caption) = 0;
  virtual int kindCount() const = 0;
  virtual void tickKind(int index) = 0;

  // Whether there is a tray to hide to and come back from.
  virtual bool trayAvailable() const = 0;
  virtual void hideWindow() = 0;
  // Shows the window in front, with the focus.
  virtual void showWindow() = 0;

  virtual void startUploadTimer(int milliseconds) = 0;
  virtual void stopUploadTimer() = 0;

  // Modal boxes owned by the window, with one OK button; they return once
  // closed.
  virtual void messageBox(const std::string& text) = 0;
  virtual void errorBox(const std::string& text) = 0;
  // Closes the boxes that are open, as if OK had been pressed.
  virtual void closeBoxes() = 0;
  // Hides the window and ends the program's message loop.
  virtual void endProgram() = 0;
};

}  // namespace tavrix

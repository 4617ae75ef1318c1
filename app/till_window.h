// The till window's behaviour, written once for every toolkit: start-up, the
// upload timer and its first-tick hide, hiding to the tray and coming back,
// F1 and F6, runs on a thread of their own that never nest, closing only
// after the run under way, and a stop from outside. The Qt window and the
// Win32 window draw it (WindowView) and call its handlers.
#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/window_view.h"
#include "upload/host.h"
#include "upload/upload_engine.h"

namespace tavrix {

class TillWindow : public UploadHost {
 public:
  struct Options {
    std::vector<std::string> args;  // the command line after the program name
    std::string tillFolder;         // ends with a separator
    std::string rootFolder;         // stands for C:\ (message files, batch copies)
  };

  TillWindow(WindowView& view, HeadOfficeService& service, const text::Clock& clock,
             Options options);
  // Waits for a run under way, handling the window's events meanwhile.
  ~TillWindow() override;

  // The start-up steps: the command line, MCH_NO.TXT, the local connection,
  // the upload timer; the standard error box when a step failed.
  void start();

  // The upload timer's tick.
  void uploadTimerTick();
  // "資料上傳", and every other start of a run: off the window's thread,
  // unless one is under way.
  void startRun();
  // "MGR離開", F6, a close from outside: the program ends, once the run under
  // way has ended. True when it ends now.
  bool close();
  // The hide button and the tray menu's "Hide window": refused while "顯示"
  // is ticked, during start-up, and where there is no tray.
  void hideToTray();
  // The tray menu's "Show window" and a double-click on the icon.
  void showFromTray();
  enum class Key { F1, F6 };
  // F1 and F6, seen before the focused control.
  void keyPressed(Key key);
  // SIGINT, SIGTERM, the end of the Windows session: closes the boxes the
  // run waits on, then the window as F6 does; the run stops at its next
  // safe point instead of being waited for.
  void stopFromOutside();

  bool runInProgress() const { return worker_ != nullptr; }
  int uploadTimerInterval() const { return timerInterval_; }
  UploadEngine engine;

  // UploadHost, called by the run from its own thread.
  void show(const std::string& text) override;
  void addProgressLine(const std::string& line) override;
  void clearProgress() override;
  int progressLineCount() const override;
  void addFailureLine(const std::string& line) override;
  void setCaption(const std::string& caption) override;
  int kindCount() const override;
  void tickKind(int index) override;
  int mode() const override;
  text::Date oneDayDate() const override;
  void armUploadTimer() override;
  void armUploadTimerAfter(std::chrono::minutes delay) override;

 private:
  void runFinished();

  WindowView& view_;
  Options options_;
  const text::Clock& clock_;
  bool started_ = false;  // the program's main window once start-up completed
  bool firstTickSeen_ = false;
  bool closeWhenDone_ = false;
  bool stopSeen_ = false;
  int timerInterval_ = 1000;
  std::unique_ptr<std::thread> worker_;
};

}  // namespace tavrix

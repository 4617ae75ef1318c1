// The till window on the Win32 API and common controls (Windows): the form,
// the tray icon and its menu, the upload timer and the boxes, drawing a
// TillWindow and passing it the clicks, keys, ticks, a close from outside
// and the end of the Windows session.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <string>

#include "app/till_window.h"
#include "app/window_view.h"

namespace tavrix {

class Win32Window : public WindowView {
 public:
  Win32Window();
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  // The behaviour the clicks, keys and ticks go to, from now on.
  void attach(TillWindow& window);
  // Shows the window and runs the message loop until the program ends.
  int run();
  // From a second program on the same till: brings the window of process
  // `pid` (the first one's) forward, out of the tray if need be.
  static void bringForward(long pid);

  HWND handle() const { return window_; }

  // WindowView.
  void onWindowThread(const std::function<void()>& f) override;
  void postToWindowThread(std::function<void()> f) override;
  void processEvents() override;
  int mode() const override;
  void setMode(int mode) override;
  bool keepShown() const override;
  text::Date day() const override;
  void setDay(const text::Date& day) override;
  void addProgressLine(const std::string& line) override;
  void clearProgress() override;
  int progressLineCount() const override { return progressLines_; }
  void addFailureLine(const std::string& line) override;
  void setCaption(const std::string& caption) override;
  int kindCount() const override;
  void tickKind(int index) override;
  bool trayAvailable() const override { return trayShown_; }
  void hideWindow() override;
  void showWindow() override;
  void startUploadTimer(int milliseconds) override;
  void stopUploadTimer() override;
  void messageBox(const std::string& text) override;
  void errorBox(const std::string& text) override;
  void closeBoxes() override;
  void endProgram() override;

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT handle(UINT message, WPARAM w, LPARAM l);
  void buildForm();
  NOTIFYICONDATAW trayIcon() const;  // our one icon, nothing to change yet
  void addTrayIcon();
  void setTrayPicture(int step);
  void showTrayMenu();
  bool keyBeforeControls(const MSG& message);
  void stopFromOutside();
  void drawHideButton(const DRAWITEMSTRUCT& item);

  HWND window_ = nullptr;
  DWORD thread_ = 0;
  TillWindow* till_ = nullptr;
  HWND notYetTransferred_, oneDay_, keepShown_, dayPicker_, uploadButton_, exitButton_, hideButton_,
      kindsList_, progressLog_, failureLog_, errorLabel_;
  HFONT formFont_, kaiFont_, buttonFont_;
  HBRUSH logBackground_;
  HICON appIcon_;
  HICON trayPictures_[9] = {};  // the first before the window is first shown, then 8 steps
  int trayPicture_ = -1;
  bool trayShown_ = false;
  bool animating_ = false;
  UINT taskbarCreated_ = 0;
  int progressLines_ = 0;
};

}  // namespace tavrix

// The till window on Qt 6 Widgets (Linux): the form, the tray icon and its
// menu, the upload timer and the boxes, drawing a TillWindow and passing it
// the clicks, keys, ticks and a stop asked for from outside.
#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include "app/till_window.h"
#include "app/window_view.h"

namespace tavrix {

class QtWindow : public QWidget, public WindowView {
 public:
  explicit QtWindow(bool trayAvailable = QSystemTrayIcon::isSystemTrayAvailable());
  ~QtWindow() override;

  // The behaviour the clicks, keys and ticks go to, from now on; `tillFolder`
  // names the window for a second program on the same till.
  void attach(TillWindow& window, const std::string& tillFolder);
  // From a second program on the same till: asks the first one's window to
  // come forward.
  static void bringForward(const std::string& tillFolder);

  // The controls.
  QButtonGroup* modeGroup;
  QRadioButton *notYetTransferred, *oneDay;
  QCheckBox* keepShownBox;  // "顯示"
  QDateEdit* dayPicker;
  QPushButton *uploadButton, *exitButton, *hideButton;
  QListWidget* kindsList;
  QPlainTextEdit *progressLog, *failureLog;
  QLabel* errorLabel;
  QProgressBar *upperProgressBar, *lowerProgressBar;
  QTimer* uploadTimer;
  QSystemTrayIcon* trayIcon;
  QMenu* trayMenu;

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
  int progressLineCount() const override;
  void addFailureLine(const std::string& line) override;
  void setCaption(const std::string& caption) override;
  int kindCount() const override;
  void tickKind(int index) override;
  bool trayAvailable() const override { return trayAvailable_; }
  void hideWindow() override;
  void showWindow() override;
  void startUploadTimer(int milliseconds) override;
  void stopUploadTimer() override;
  void messageBox(const std::string& text) override;
  void errorBox(const std::string& text) override;
  void closeBoxes() override;
  void endProgram() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildForm();
  void setTrayPicture(int step);

  const bool trayAvailable_;
  int trayPicture_ = -1;  // -1: the picture before the window is first shown
  TillWindow* window_ = nullptr;
  QTimer* trayAnimation_;
};

}  // namespace tavrix

// The till program's window: mode, one-day date, the list of data kinds, the
// progress and failure logs, the upload and exit buttons; a tray icon it hides
// to; Timer1, which starts upload runs by itself; F1 and F6.
#pragma once

#include <QAction>
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
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "upload/host.h"
#include "upload/upload_engine.h"

namespace tavrix {

class TFormTavrix_OnLine : public QWidget, public UploadHost {
 public:
  struct Options {
    std::vector<std::string> args;  // the command line after the program name
    std::string tillFolder;         // ends with "/"
    bool trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    // How a modal box with one OK button and the standard error box are shown;
    // tests replace them.
    std::function<void(QWidget*, const QString&)> messageBox;
    std::function<void(QWidget*, const QString&)> errorBox;
  };

  // Runs FormCreate: the command line, MCH_NO.TXT, the local connection, Timer1.
  TFormTavrix_OnLine(TDataModHttp& dataModule, const text::Clock& clock, Options options);
  ~TFormTavrix_OnLine() override;

  // Handlers, named as on the form.
  void Timer1Timer();
  void SpeedButton1Click();  // starts a run off this thread, unless one is under way
  void SpeedButton2Click();  // closes the window; during a run, once the run has ended
  void fcImageBtn20Click();
  void HideWindow1Click();
  void ShowWindow1Click();
  void FormKeyDown(int key);
  // SIGINT or SIGTERM: closes the window as F6 does; a run under way stops at
  // its next safe point instead of being waited for.
  void stopFromOutside();

  bool runInProgress() const { return worker_ != nullptr; }
  int FirstTickMark = 0;
  UploadEngine engine;

  // The controls, named as on the form.
  QWidget *Panel1, *Panel2, *Panel3, *Panel4;
  QButtonGroup* RadioGroup1;
  QRadioButton *notYetTransferred, *oneDay;
  QCheckBox* CheckBox1;
  QDateEdit* DateTimePicker1;
  QPushButton *SpeedButton1, *SpeedButton2, *fcImageBtn20;
  QListWidget* CheckListBox1;
  QPlainTextEdit *Memo1, *Memo2;
  QLabel* Label1;
  QProgressBar *ProgressBar1, *ProgressBar2;
  QTimer* Timer1;
  QAction* Action1;
  QSystemTrayIcon* TrayIcon1;
  QMenu* PopupMenu1;

  // UploadHost, called by the run from its own thread.
  void show(const std::string& text) override;
  void memo1Add(const std::string& line) override;
  void memo1Clear() override;
  int memo1LineCount() const override;
  void memo2Add(const std::string& line) override;
  void setCaption(const std::string& caption) override;
  int checkItemCount() const override;
  void tickCheckItem(int index) override;
  int mode() const override;
  text::Date oneDayDate() const override;
  void armTimer1() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildForm();
  void FormCreate();
  void hideToTray();
  void runFinished();
  // Runs f on the window's thread and waits for it.
  template <class F>
  auto onWindowThread(F f) const;

  Options options_;
  const text::Clock& clock_;
  bool registered_ = false;  // the application's main window once creation completed
  bool closeWhenDone_ = false;
  std::unique_ptr<std::thread> worker_;
  QTimer* trayAnimation_;
  QObject* stopWatch_;  // tells the window of a stop asked for from outside
  int trayPicture_ = 0;
};

}  // namespace tavrix

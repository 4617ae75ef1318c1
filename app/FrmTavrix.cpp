#include "app/FrmTavrix.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QThread>

#include <type_traits>

#include "platform/stop/stop.h"
#include "platform/text/big5.h"
#include "upload/start_up.h"

namespace tavrix {

namespace {

QString fromBig5(const std::string& big5) {
  return QString::fromStdString(text::big5ToUtf8(big5));
}

// The font names of the form first; the Noto CJK faces draw the Traditional
// glyphs where the Windows fonts are missing.
QFont formFont(const char* family, int pixels, bool bold = false) {
  QFont font;
  font.setFamilies({family, "Noto Sans CJK TC", "Noto Serif CJK TC", "Noto Sans CJK JP"});
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

// The eight tray pictures: a disc whose bright quarter turns a step each time.
// Step -1 is the icon of the tray before the window is first shown: the disc
// alone.
QIcon trayPicture(int step) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 128, 128));
  p.drawEllipse(1, 1, 14, 14);
  p.setBrush(QColor(255, 255, 255));
  if (step >= 0) p.drawPie(3, 3, 10, 10, (90 - step * 45) * 16, -90 * 16);
  return QIcon(pixmap);
}

const char* kKinds[] = {"收銀銷售", "點數記錄", "收銀作廢", "信用卡檔", "刪除記錄",
                        "按鍵記錄", "兌換資料", "打卡資料", "收支記錄"};

}  // namespace

template <class F>
auto TFormTavrix_OnLine::onWindowThread(F f) const {
  using R = decltype(f());
  auto* self = const_cast<TFormTavrix_OnLine*>(this);
  if (QThread::currentThread() == thread()) return f();
  if constexpr (std::is_void_v<R>) {
    QMetaObject::invokeMethod(self, f, Qt::BlockingQueuedConnection);
  } else {
    R result{};
    QMetaObject::invokeMethod(
        self, [&] { result = f(); }, Qt::BlockingQueuedConnection);
    return result;
  }
}

TFormTavrix_OnLine::TFormTavrix_OnLine(TDataModHttp& dataModule, const text::Clock& clock,
                                       Options options)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      engine(*this, dataModule, clock, options.tillFolder, options.tillFolder),
      options_(std::move(options)),
      clock_(clock) {
  if (!options_.messageBox)
    options_.messageBox = [](QWidget* parent, const QString& text) {
      QMessageBox::information(parent, QApplication::applicationDisplayName(), text);
    };
  if (!options_.errorBox)
    options_.errorBox = [](QWidget* parent, const QString& text) {
      QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
    };
  buildForm();
  FormCreate();
  registered_ = true;  // the window is the application's main window from here on
}

TFormTavrix_OnLine::~TFormTavrix_OnLine() {
  qApp->removeEventFilter(this);
  // A run still under way needs the window's thread to answer it.
  while (worker_) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void TFormTavrix_OnLine::buildForm() {
  setWindowTitle("FormTavrix_OnLine");
  setFixedSize(600, 382);
  setFont(formFont("細明體", 13));
  setAutoFillBackground(true);
  setPalette(QApplication::palette());  // the system's button face
  if (QScreen* screen = QApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  QFont kai = formFont("標楷體", 16);

  Panel1 = new QWidget(this);
  Panel1->setGeometry(0, 0, 600, 41);
  auto* radios = new QWidget(Panel1);
  radios->setGeometry(5, 0, 163, 34);
  RadioGroup1 = new QButtonGroup(this);
  notYetTransferred = new QRadioButton(QString::fromUtf8("未拋轉"), radios);
  notYetTransferred->setGeometry(6, 8, 76, 22);
  oneDay = new QRadioButton(QString::fromUtf8("日拋轉"), radios);
  oneDay->setGeometry(84, 8, 76, 22);
  for (QRadioButton* b : {notYetTransferred, oneDay}) b->setFont(kai);
  RadioGroup1->addButton(notYetTransferred, 0);
  RadioGroup1->addButton(oneDay, 1);
  notYetTransferred->setChecked(true);

  CheckBox1 = new QCheckBox(QString::fromUtf8("顯示"), Panel1);
  CheckBox1->setGeometry(169, 12, 53, 17);
  DateTimePicker1 = new QDateEdit(Panel1);
  DateTimePicker1->setGeometry(226, 10, 111, 21);
  DateTimePicker1->setDisplayFormat("yyyy/MM/dd");
  DateTimePicker1->setCalendarPopup(true);
  SpeedButton1 = new QPushButton(QString::fromUtf8("資料上傳"), Panel1);
  SpeedButton1->setGeometry(351, 5, 90, 31);
  SpeedButton2 = new QPushButton(QString::fromUtf8("MGR離開"), Panel1);
  SpeedButton2->setGeometry(446, 5, 90, 31);
  for (QPushButton* b : {SpeedButton1, SpeedButton2}) b->setFont(kai);
  fcImageBtn20 = new QPushButton("4.HI", Panel1);
  fcImageBtn20->setGeometry(542, 4, 44, 33);
  fcImageBtn20->setToolTip("5.ON");
  fcImageBtn20->setFont(formFont("新細明體", 13, true));
  fcImageBtn20->setStyleSheet(
      "QPushButton { background: #008080; color: white; border-radius: 8px; }"
      "QPushButton:pressed { background: #005050; }");

  Panel3 = new QWidget(this);
  Panel3->setGeometry(0, 347, 600, 35);
  ProgressBar2 = new QProgressBar(Panel3);
  ProgressBar2->setGeometry(0, 0, 600, 17);
  ProgressBar1 = new QProgressBar(Panel3);
  ProgressBar1->setGeometry(0, 18, 600, 17);
  for (QProgressBar* b : {ProgressBar1, ProgressBar2}) {
    b->setValue(0);  // nothing moves them
    b->setTextVisible(false);
  }

  Panel2 = new QWidget(this);
  Panel2->setGeometry(0, 41, 600, 306);
  Panel2->setFont(kai);
  CheckListBox1 = new QListWidget(Panel2);
  CheckListBox1->setGeometry(0, 0, 208, 306);
  CheckListBox1->setFocusPolicy(Qt::NoFocus);
  for (const char* kind : kKinds) {
    auto* item = new QListWidgetItem(QString::fromUtf8(kind), CheckListBox1);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    item->setSizeHint(QSize(200, 16 + 4));
  }
  Panel4 = new QWidget(Panel2);
  Panel4->setGeometry(208, 0, 392, 306);
  Memo1 = new QPlainTextEdit(Panel4);
  Memo1->setGeometry(0, 0, 392, 211);
  Label1 = new QLabel(" ERROR...  ", Panel4);
  Label1->move(8, 213);
  Memo2 = new QPlainTextEdit(Panel4);
  Memo2->setGeometry(0, 235, 392, 71);
  for (QPlainTextEdit* m : {Memo1, Memo2}) {
    m->setReadOnly(true);
    m->setFocusPolicy(Qt::NoFocus);
    m->setFont(formFont("細明體", 13));
  }

  Timer1 = new QTimer(this);
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

  Action1 = new QAction(this);
  Action1->setShortcut(QKeySequence(Qt::Key_F6));
  Action1->setShortcutContext(Qt::WindowShortcut);
  addAction(Action1);
  connect(Action1, &QAction::triggered, this, [this] { SpeedButton2Click(); });

  PopupMenu1 = new QMenu(this);
  QAction* showWindow = PopupMenu1->addAction("&Show window", [this] { ShowWindow1Click(); });
  PopupMenu1->setDefaultAction(showWindow);
  PopupMenu1->addAction("&Hide window", [this] { HideWindow1Click(); });
  PopupMenu1->addSeparator();
  PopupMenu1->addAction("Show &balloon hint");  // no effect, as designed
  PopupMenu1->addSeparator();
  PopupMenu1->addAction("E&xit");  // no effect: only MGR離開 and F6 end the program
  TrayIcon1 = new QSystemTrayIcon(trayPicture(-1), this);
  TrayIcon1->setToolTip("TrayIcon Test");
  TrayIcon1->setContextMenu(PopupMenu1);
  connect(TrayIcon1, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason r) {
            if (r == QSystemTrayIcon::DoubleClick) ShowWindow1Click();
          });
  if (options_.trayAvailable) TrayIcon1->show();
  trayAnimation_ = new QTimer(this);
  connect(trayAnimation_, &QTimer::timeout, this, [this] {
    trayPicture_ = (trayPicture_ + 1) % 8;
    TrayIcon1->setIcon(trayPicture(trayPicture_));
  });

#ifdef _WIN32
  // No descriptor to watch there: look for a stop a few times a second.
  stopWatch_ = new QTimer(this);
  connect(static_cast<QTimer*>(stopWatch_), &QTimer::timeout, this, [this] {
    if (stop::requested()) stopFromOutside();
  });
  static_cast<QTimer*>(stopWatch_)->start(250);
#else
  stopWatch_ = new QSocketNotifier(stop::descriptor(), QSocketNotifier::Read, this);
  connect(static_cast<QSocketNotifier*>(stopWatch_), &QSocketNotifier::activated, this,
          [this] { stopFromOutside(); });
#endif

  connect(SpeedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
  connect(SpeedButton2, &QPushButton::clicked, this, [this] { SpeedButton2Click(); });
  connect(fcImageBtn20, &QPushButton::clicked, this, [this] { fcImageBtn20Click(); });
  // Key preview: the window sees every key before the focused control.
  qApp->installEventFilter(this);
}

void TFormTavrix_OnLine::FormCreate() {
  text::DateTime now = clock_.now();
  DateTimePicker1->setDate(QDate(now.date.year, now.date.month, now.date.day));
  engine.Busy = 0;
  setDesignedParams(engine.SQLCon_Loc);
  StartUp s = startUp(options_.args, options_.tillFolder, now.date, engine.SQLCon_Loc);
  if (s.mode < 0) {
    RadioGroup1->setExclusive(false);
    notYetTransferred->setChecked(false);
    oneDay->setChecked(false);
    RadioGroup1->setExclusive(true);
  } else {
    RadioGroup1->button(s.mode)->setChecked(true);
  }
  DateTimePicker1->setDate(QDate(s.date.year, s.date.month, s.date.day));
  engine.MachineNo = s.machineNo;
  // Closing steps: the hide request finds no main window yet, Timer1 is armed.
  if (!CheckBox1->isChecked()) hideToTray();
  Timer1->start();
  if (!s.error.empty()) options_.errorBox(this, fromBig5(s.error));
}

void TFormTavrix_OnLine::hideToTray() {
  // Without a tray to come back from, the window stays where a person can reach it.
  if (!registered_ || CheckBox1->isChecked() || !options_.trayAvailable) return;
  hide();
}

void TFormTavrix_OnLine::Timer1Timer() {
  Timer1->stop();
  Timer1->setInterval(3000);
  if (FirstTickMark == 0 && !CheckBox1->isChecked()) hideToTray();
  FirstTickMark = 999;
  engine.host.memo1Add("Timer1...");  // through the engine: the run log has it too
  if (mode() == 0) SpeedButton1Click();
}

void TFormTavrix_OnLine::SpeedButton1Click() {
  // Runs never nest, whatever starts them.
  if (runInProgress() || engine.Busy == 1) return;
  worker_ = std::make_unique<std::thread>([this] {
    engine.SpeedButton1Click();
    QMetaObject::invokeMethod(
        this, [this] { runFinished(); }, Qt::QueuedConnection);
  });
}

void TFormTavrix_OnLine::runFinished() {
  worker_->join();
  worker_.reset();
  if (closeWhenDone_) close();
}

void TFormTavrix_OnLine::SpeedButton2Click() {
  close();
}

void TFormTavrix_OnLine::closeEvent(QCloseEvent* event) {
  // Never leave a run half done: close once it has ended.
  if (runInProgress()) {
    closeWhenDone_ = true;
    event->ignore();
    return;
  }
  event->accept();
  QCoreApplication::quit();
}

void TFormTavrix_OnLine::stopFromOutside() {
  if (!stopWatch_) return;
  stopWatch_->deleteLater();  // the stop stays asked for: once is enough
  stopWatch_ = nullptr;
  // A box the run waits on would hold it (and the close) for ever.
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<QDialog*>(w);
        dialog && dialog->isModal() && dialog->isVisible())
      dialog->reject();
  SpeedButton2Click();
}

void TFormTavrix_OnLine::fcImageBtn20Click() {
  hideToTray();
}
void TFormTavrix_OnLine::HideWindow1Click() {
  hideToTray();
}

void TFormTavrix_OnLine::ShowWindow1Click() {
  QWidget::show();
  raise();
  activateWindow();
}

void TFormTavrix_OnLine::FormKeyDown(int key) {
  if (key == Qt::Key_F1) {
    if (engine.Busy == 0 && !runInProgress()) {
      engine.FailCount = 0;
      SpeedButton1Click();
    }
  } else if (key == Qt::Key_F6) {
    SpeedButton2Click();
  }
}

bool TFormTavrix_OnLine::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* widget = qobject_cast<QWidget*>(watched);
    int key = static_cast<QKeyEvent*>(event)->key();
    if (widget && widget->window() == this && (key == Qt::Key_F1 || key == Qt::Key_F6)) {
      FormKeyDown(key);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TFormTavrix_OnLine::showEvent(QShowEvent* event) {
  // FormShow: the tray cycles through its pictures from the first one.
  trayPicture_ = 0;
  TrayIcon1->setIcon(trayPicture(0));
  // Without a tray the pictures are never seen: no need to wake for them.
  if (options_.trayAvailable) trayAnimation_->start(400);
  QWidget::showEvent(event);
}

// ---- UploadHost ----

void TFormTavrix_OnLine::show(const std::string& text) {
  onWindowThread([&] { options_.messageBox(this, fromBig5(text)); });
}

void TFormTavrix_OnLine::memo1Add(const std::string& line) {
  onWindowThread([&] { Memo1->appendPlainText(fromBig5(line)); });
}

void TFormTavrix_OnLine::memo1Clear() {
  onWindowThread([&] { Memo1->clear(); });
}

int TFormTavrix_OnLine::memo1LineCount() const {
  return onWindowThread([&] { return Memo1->document()->isEmpty() ? 0 : Memo1->blockCount(); });
}

void TFormTavrix_OnLine::memo2Add(const std::string& line) {
  onWindowThread([&] { Memo2->appendPlainText(fromBig5(line)); });
}

void TFormTavrix_OnLine::setCaption(const std::string& caption) {
  onWindowThread([&] { setWindowTitle(fromBig5(caption)); });
}

int TFormTavrix_OnLine::checkItemCount() const {
  return onWindowThread([&] { return CheckListBox1->count(); });
}

void TFormTavrix_OnLine::tickCheckItem(int index) {
  onWindowThread([&] { CheckListBox1->item(index)->setCheckState(Qt::Checked); });
}

int TFormTavrix_OnLine::mode() const {
  return onWindowThread([&] { return RadioGroup1->checkedId(); });
}

text::Date TFormTavrix_OnLine::oneDayDate() const {
  return onWindowThread([&] {
    QDate d = DateTimePicker1->date();
    return text::Date{d.year(), d.month(), d.day()};
  });
}

void TFormTavrix_OnLine::armTimer1() {
  onWindowThread([&] { Timer1->start(); });
}

}  // namespace tavrix

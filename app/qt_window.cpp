#include "app/qt_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCryptographicHash>
#include <QDialog>
#include <QKeyEvent>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QSocketNotifier>
#include <QThread>

#include "platform/stop/stop.h"
#include "platform/text/big5.h"

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
QIcon trayPictureOf(int step) {
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

QtWindow::QtWindow(bool trayAvailable)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      trayAvailable_(trayAvailable) {
  buildForm();
}

QtWindow::~QtWindow() {
  qApp->removeEventFilter(this);
}

void QtWindow::buildForm() {
  setWindowTitle("FormTavrix_OnLine");
  setFixedSize(600, 382);
  setFont(formFont("細明體", 13));
  setAutoFillBackground(true);
  setPalette(QApplication::palette());  // the system's button face
  if (QScreen* screen = QApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  QFont kai = formFont("標楷體", 16);

  auto* topPanel = new QWidget(this);
  topPanel->setGeometry(0, 0, 600, 41);
  auto* radios = new QWidget(topPanel);
  radios->setGeometry(5, 0, 163, 34);
  modeGroup = new QButtonGroup(this);
  notYetTransferred = new QRadioButton(QString::fromUtf8("未拋轉"), radios);
  notYetTransferred->setGeometry(6, 8, 76, 22);
  oneDay = new QRadioButton(QString::fromUtf8("日拋轉"), radios);
  oneDay->setGeometry(84, 8, 76, 22);
  for (QRadioButton* b : {notYetTransferred, oneDay}) b->setFont(kai);
  modeGroup->addButton(notYetTransferred, 0);
  modeGroup->addButton(oneDay, 1);
  notYetTransferred->setChecked(true);

  keepShownBox = new QCheckBox(QString::fromUtf8("顯示"), topPanel);
  keepShownBox->setGeometry(169, 12, 53, 17);
  dayPicker = new QDateEdit(topPanel);
  dayPicker->setGeometry(226, 10, 111, 21);
  dayPicker->setDisplayFormat("yyyy/MM/dd");
  dayPicker->setCalendarPopup(true);
  uploadButton = new QPushButton(QString::fromUtf8("資料上傳"), topPanel);
  uploadButton->setGeometry(351, 5, 90, 31);
  exitButton = new QPushButton(QString::fromUtf8("MGR離開"), topPanel);
  exitButton->setGeometry(446, 5, 90, 31);
  for (QPushButton* b : {uploadButton, exitButton}) b->setFont(kai);
  hideButton = new QPushButton("4.HI", topPanel);
  hideButton->setGeometry(542, 4, 44, 33);
  hideButton->setToolTip("5.ON");
  hideButton->setFont(formFont("新細明體", 13, true));
  hideButton->setStyleSheet(
      "QPushButton { background: #008080; color: white; border-radius: 8px; }"
      "QPushButton:pressed { background: #005050; }");

  auto* bottomPanel = new QWidget(this);
  bottomPanel->setGeometry(0, 347, 600, 35);
  upperProgressBar = new QProgressBar(bottomPanel);
  upperProgressBar->setGeometry(0, 0, 600, 17);
  lowerProgressBar = new QProgressBar(bottomPanel);
  lowerProgressBar->setGeometry(0, 18, 600, 17);
  for (QProgressBar* b : {upperProgressBar, lowerProgressBar}) {
    b->setValue(0);  // nothing moves them
    b->setTextVisible(false);
  }

  auto* mainPanel = new QWidget(this);
  mainPanel->setGeometry(0, 41, 600, 306);
  mainPanel->setFont(kai);
  kindsList = new QListWidget(mainPanel);
  kindsList->setGeometry(0, 0, 208, 306);
  kindsList->setFocusPolicy(Qt::NoFocus);
  for (const char* kind : kKinds) {
    auto* item = new QListWidgetItem(QString::fromUtf8(kind), kindsList);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    item->setSizeHint(QSize(200, 16 + 4));
  }
  auto* logsPanel = new QWidget(mainPanel);
  logsPanel->setGeometry(208, 0, 392, 306);
  progressLog = new QPlainTextEdit(logsPanel);
  progressLog->setGeometry(0, 0, 392, 211);
  errorLabel = new QLabel(" ERROR...  ", logsPanel);
  errorLabel->move(8, 213);
  failureLog = new QPlainTextEdit(logsPanel);
  failureLog->setGeometry(0, 235, 392, 71);
  for (QPlainTextEdit* m : {progressLog, failureLog}) {
    m->setReadOnly(true);
    m->setFocusPolicy(Qt::NoFocus);
    m->setFont(formFont("細明體", 13));
  }

  uploadTimer = new QTimer(this);
  trayMenu = new QMenu(this);
  trayIcon = new QSystemTrayIcon(trayPictureOf(-1), this);
  trayIcon->setToolTip("TrayIcon Test");
  trayIcon->setContextMenu(trayMenu);
  if (trayAvailable_) trayIcon->show();
  trayAnimation_ = new QTimer(this);
  connect(trayAnimation_, &QTimer::timeout, this,
          [this] { setTrayPicture((trayPicture_ + 1) % 8); });
}

namespace {

// The local socket a till's window listens on, named after the till folder.
QString windowSocket(const std::string& tillFolder) {
  return "tavrix-online-" +
         QString::fromLatin1(QCryptographicHash::hash(QByteArray::fromStdString(tillFolder),
                                                      QCryptographicHash::Sha1)
                                 .toHex()
                                 .left(16));
}

}  // namespace

void QtWindow::bringForward(const std::string& tillFolder) {
  QLocalSocket socket;
  socket.connectToServer(windowSocket(tillFolder));
  if (socket.waitForConnected(2000)) {
    socket.write("show\n");
    socket.waitForBytesWritten(2000);
  }
}

void QtWindow::attach(TillWindow& window, const std::string& tillFolder) {
  window_ = &window;
  // The till's lock is ours: a socket left by a crashed window can go.
  QLocalServer::removeServer(windowSocket(tillFolder));
  auto* server = new QLocalServer(this);
  connect(server, &QLocalServer::newConnection, this, [this, server] {
    while (QLocalSocket* other = server->nextPendingConnection()) {
      other->deleteLater();
      window_->showFromTray();
    }
  });
  server->listen(windowSocket(tillFolder));
  connect(uploadTimer, &QTimer::timeout, this, [this] { window_->uploadTimerTick(); });
  connect(uploadButton, &QPushButton::clicked, this, [this] { window_->startRun(); });
  connect(exitButton, &QPushButton::clicked, this, [this] { window_->close(); });
  connect(hideButton, &QPushButton::clicked, this, [this] { window_->hideToTray(); });
  QAction* showAction = trayMenu->addAction("&Show window", [this] { window_->showFromTray(); });
  trayMenu->setDefaultAction(showAction);
  trayMenu->addAction("&Hide window", [this] { window_->hideToTray(); });
  trayMenu->addSeparator();
  trayMenu->addAction("Show &balloon hint");  // no effect, as designed
  trayMenu->addSeparator();
  trayMenu->addAction("E&xit");  // no effect: only MGR離開 and F6 end the program
  connect(trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
    if (r == QSystemTrayIcon::DoubleClick) window_->showFromTray();
  });
  auto* stopWatch = new QSocketNotifier(stop::descriptor(), QSocketNotifier::Read, this);
  connect(stopWatch, &QSocketNotifier::activated, this, [this] { window_->stopFromOutside(); });
  // Key preview: the window sees every key before the focused control.
  qApp->installEventFilter(this);
}

bool QtWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && window_) {
    auto* widget = qobject_cast<QWidget*>(watched);
    int key = static_cast<QKeyEvent*>(event)->key();
    if (widget && widget->window() == this && (key == Qt::Key_F1 || key == Qt::Key_F6)) {
      window_->keyPressed(key == Qt::Key_F1 ? TillWindow::Key::F1 : TillWindow::Key::F6);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void QtWindow::showEvent(QShowEvent* event) {
  // The tray cycles through its pictures from the first one.
  setTrayPicture(0);
  // Without a tray the pictures are never seen: no need to wake for them.
  if (trayAvailable_) trayAnimation_->start(400);
  QWidget::showEvent(event);
}

void QtWindow::setTrayPicture(int step) {
  trayPicture_ = step;
  trayIcon->setIcon(trayPictureOf(step));
}

void QtWindow::closeEvent(QCloseEvent* event) {
  if (window_ && !window_->close())
    event->ignore();
  else
    event->accept();
}

// ---- WindowView ----

void QtWindow::onWindowThread(const std::function<void()>& f) {
  if (QThread::currentThread() == thread())
    f();
  else
    QMetaObject::invokeMethod(this, f, Qt::BlockingQueuedConnection);
}

void QtWindow::postToWindowThread(std::function<void()> f) {
  QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
}

void QtWindow::processEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

int QtWindow::mode() const {
  return modeGroup->checkedId();
}

void QtWindow::setMode(int mode) {
  if (mode < 0) {
    modeGroup->setExclusive(false);
    notYetTransferred->setChecked(false);
    oneDay->setChecked(false);
    modeGroup->setExclusive(true);
  } else {
    modeGroup->button(mode)->setChecked(true);
  }
}

bool QtWindow::keepShown() const {
  return keepShownBox->isChecked();
}

text::Date QtWindow::day() const {
  QDate d = dayPicker->date();
  return text::Date{d.year(), d.month(), d.day()};
}

void QtWindow::setDay(const text::Date& day) {
  dayPicker->setDate(QDate(day.year, day.month, day.day));
}

void QtWindow::addProgressLine(const std::string& line) {
  progressLog->appendPlainText(fromBig5(line));
}

void QtWindow::clearProgress() {
  progressLog->clear();
}

int QtWindow::progressLineCount() const {
  return progressLog->document()->isEmpty() ? 0 : progressLog->blockCount();
}

void QtWindow::addFailureLine(const std::string& line) {
  failureLog->appendPlainText(fromBig5(line));
}

void QtWindow::setCaption(const std::string& caption) {
  setWindowTitle(fromBig5(caption));
}

int QtWindow::kindCount() const {
  return kindsList->count();
}

void QtWindow::tickKind(int index) {
  kindsList->item(index)->setCheckState(Qt::Checked);
}

void QtWindow::hideWindow() {
  hide();
}

void QtWindow::showWindow() {
  show();
  raise();
  activateWindow();
}

void QtWindow::startUploadTimer(int milliseconds) {
  uploadTimer->start(milliseconds);
}

void QtWindow::stopUploadTimer() {
  uploadTimer->stop();
}

void QtWindow::messageBox(const std::string& text) {
  QMessageBox::information(this, QApplication::applicationDisplayName(), fromBig5(text));
}

void QtWindow::errorBox(const std::string& text) {
  QMessageBox::critical(this, QApplication::applicationDisplayName(), fromBig5(text));
}

void QtWindow::closeBoxes() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<QDialog*>(w);
        dialog && dialog->isModal() && dialog->isVisible())
      dialog->reject();
}

void QtWindow::endProgram() {
  hide();
  QCoreApplication::quit();
}

}  // namespace tavrix

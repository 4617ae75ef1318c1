#include "app/till_window.h"

#include <type_traits>

#include "upload/start_up.h"

namespace tavrix {

namespace {

constexpr int kFirstInterval = 1000;
constexpr int kNextInterval = 3000;

// Runs f on the view's thread and hands back what it returns.
template <class F>
auto onWindowThread(WindowView& view, F f) {
  using R = decltype(f());
  if constexpr (std::is_void_v<R>) {
    view.onWindowThread(f);
  } else {
    R result{};
    view.onWindowThread([&] { result = f(); });
    return result;
  }
}

}  // namespace

TillWindow::TillWindow(WindowView& view, HeadOfficeService& service, const text::Clock& clock,
                       Options options)
    : engine(*this, service, clock, options.rootFolder, options.tillFolder),
      view_(view),
      options_(std::move(options)),
      clock_(clock) {}

TillWindow::~TillWindow() {
  // A run still under way needs the window's thread to answer it.
  while (worker_) view_.processEvents();
}

void TillWindow::start() {
  text::DateTime now = clock_.now();
  view_.setDay(now.date);
  engine.Busy = 0;
  StartUp s = engine.startUp(options_.args, now.date);
  view_.setMode(s.mode);
  view_.setDay(s.date);
  // Closing steps: the hide request finds no main window yet; the timer is armed.
  if (!view_.keepShown()) hideToTray();
  timerInterval_ = kFirstInterval;
  view_.startUploadTimer(timerInterval_);
  if (!s.error.empty()) view_.errorBox(s.error);
  started_ = true;
}

void TillWindow::hideToTray() {
  // Without a tray to come back from, the window stays where a person can reach it.
  if (!started_ || view_.keepShown() || !view_.trayAvailable()) return;
  view_.hideWindow();
}

void TillWindow::showFromTray() {
  view_.showWindow();
}

void TillWindow::uploadTimerTick() {
  view_.stopUploadTimer();
  timerInterval_ = kNextInterval;
  if (!firstTickSeen_ && !view_.keepShown()) hideToTray();
  firstTickSeen_ = true;
  engine.host().addProgressLine("Timer1...");  // through the engine: the run log has it too
  if (view_.mode() == 0) startRun();
}

void TillWindow::startRun() {
  // Runs never nest, whatever starts them.
  if (runInProgress() || engine.Busy == 1) return;
  worker_ = std::make_unique<std::thread>([this] {
    engine.run();
    view_.postToWindowThread([this] { runFinished(); });
  });
}

void TillWindow::runFinished() {
  worker_->join();
  worker_.reset();
  if (closeWhenDone_) close();
}

bool TillWindow::close() {
  // Never leave a run half done: close once it has ended.
  if (runInProgress()) {
    closeWhenDone_ = true;
    return false;
  }
  view_.endProgram();
  return true;
}

void TillWindow::keyPressed(Key key) {
  if (key == Key::F1) {
    if (engine.Busy == 0 && !runInProgress()) {
      engine.FailCount = 0;
      startRun();
    }
  } else {
    close();
  }
}

void TillWindow::stopFromOutside() {
  if (stopSeen_) return;  // the stop stays asked for: once is enough
  stopSeen_ = true;
  // A box the run waits on would hold it (and the close) for ever.
  view_.closeBoxes();
  close();
}

// ---- UploadHost ----

void TillWindow::show(const std::string& text) {
  onWindowThread(view_, [&] { view_.messageBox(text); });
}

void TillWindow::addProgressLine(const std::string& line) {
  onWindowThread(view_, [&] { view_.addProgressLine(line); });
}

void TillWindow::clearProgress() {
  onWindowThread(view_, [&] { view_.clearProgress(); });
}

int TillWindow::progressLineCount() const {
  return onWindowThread(view_, [&] { return view_.progressLineCount(); });
}

void TillWindow::addFailureLine(const std::string& line) {
  onWindowThread(view_, [&] { view_.addFailureLine(line); });
}

void TillWindow::setCaption(const std::string& caption) {
  onWindowThread(view_, [&] { view_.setCaption(caption); });
}

int TillWindow::kindCount() const {
  return onWindowThread(view_, [&] { return view_.kindCount(); });
}

void TillWindow::tickKind(int index) {
  onWindowThread(view_, [&] { view_.tickKind(index); });
}

int TillWindow::mode() const {
  return onWindowThread(view_, [&] { return view_.mode(); });
}

text::Date TillWindow::oneDayDate() const {
  return onWindowThread(view_, [&] { return view_.day(); });
}

void TillWindow::armUploadTimer() {
  onWindowThread(view_, [&] { view_.startUploadTimer(timerInterval_); });
}

void TillWindow::armUploadTimerAfter(std::chrono::minutes delay) {
  onWindowThread(view_, [&] {
    view_.startUploadTimer(static_cast<int>(std::chrono::milliseconds(delay).count()));
  });
}

}  // namespace tavrix

// The till window's behaviour drawn by nobody: a view that keeps what it is
// told, answers every box at once, and runs the work a run sends to the
// window's thread when the test handles its events.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/window_view.h"

namespace tavrix::testing {

class TestWindowView : public WindowView {
 public:
  int selectedMode = 0;
  bool keepShownTicked = false;
  text::Date pickedDay{};
  std::vector<std::string> progress, failures, boxes, errors;
  std::string caption;
  std::vector<bool> ticked = std::vector<bool>(9, false);
  bool tray = true;
  bool visible = true;
  bool ended = false;
  bool timerActive = false;
  int timerInterval = 0;
  int boxesClosed = 0;
  std::function<void()> onBox;  // called with each box, on the window's thread

  void onWindowThread(const std::function<void()>& f) override {
    if (std::this_thread::get_id() == owner_) return f();
    std::unique_lock lock(mutex_);
    bool done = false;
    queue_.push_back([&] {
      f();
      std::lock_guard doneLock(mutex_);
      done = true;
      ran_.notify_all();
    });
    queued_.notify_all();
    ran_.wait(lock, [&] { return done; });
  }
  void postToWindowThread(std::function<void()> f) override {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(f));
    queued_.notify_all();
  }
  void processEvents() override {
    std::unique_lock lock(mutex_);
    queued_.wait_for(lock, std::chrono::milliseconds(20), [&] { return !queue_.empty(); });
    while (!queue_.empty()) {
      auto task = std::move(queue_.front());
      queue_.pop_front();
      lock.unlock();
      task();
      lock.lock();
    }
  }

  int mode() const override { return selectedMode; }
  void setMode(int mode) override { selectedMode = mode; }
  bool keepShown() const override { return keepShownTicked; }
  text::Date day() const override { return pickedDay; }
  void setDay(const text::Date& day) override { pickedDay = day; }
  void addProgressLine(const std::string& line) override { progress.push_back(line); }
  void clearProgress() override { progress.clear(); }
  int progressLineCount() const override { return static_cast<int>(progress.size()); }
  void addFailureLine(const std::string& line) override { failures.push_back(line); }
  void setCaption(const std::string& text) override { caption = text; }
  int kindCount() const override { return static_cast<int>(ticked.size()); }
  void tickKind(int index) override { ticked.at(index) = true; }
  bool trayAvailable() const override { return tray; }
  void hideWindow() override { visible = false; }
  void showWindow() override { visible = true; }
  void startUploadTimer(int milliseconds) override {
    timerActive = true;
    timerInterval = milliseconds;
  }
  void stopUploadTimer() override { timerActive = false; }
  void messageBox(const std::string& text) override {
    boxes.push_back(text);
    if (onBox) onBox();
  }
  void errorBox(const std::string& text) override { errors.push_back(text); }
  void closeBoxes() override { ++boxesClosed; }
  void endProgram() override {
    visible = false;
    ended = true;
  }

 private:
  const std::thread::id owner_ = std::this_thread::get_id();
  std::mutex mutex_;
  std::condition_variable queued_, ran_;
  std::deque<std::function<void()>> queue_;
};

}  // namespace tavrix::testing

// A real headoffice-sim process on a free port with a fresh database of its
// own, stopped (SIGTERM) and cleaned up at the end of the test.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tavrix::testing {

// Runs the simulator binary with arguments and collects what it prints.
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& args);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Waits (up to `seconds`) until the output holds `text`; false if it never does.
  bool waitFor(const std::string& text, int seconds = 20);
  std::string output() const;
  // Sends SIGTERM (unless it has ended) and returns the exit status.
  int stop();
  void signal(int number);
  // Waits for the process to end by itself and returns its exit status.
  int wait();

 private:
  pid_t pid_ = -1;
  int status_ = -1;
  int pipe_ = -1;
  std::thread reader_;
  mutable std::mutex mutex_;
  std::string output_;
};

class SimProcess {
 public:
  // A new head-office database with the machine row "01,W01,S01" (or the
  // given one), served with these extra options.
  explicit SimProcess(const std::vector<std::string>& options = {},
                      const std::string& machine = "01,W01,S01");
  ~SimProcess();
  // Stops the simulator and serves the same database again with these
  // options, on a new port.
  void restart(const std::vector<std::string>& options = {});

  uint16_t port() const { return port_; }
  const std::string& dsn() const { return dsn_; }
  const std::string& folder() const { return folder_; }
  std::string output() const { return process_->output(); }
  bool waitForOutput(const std::string& text) { return process_->waitFor(text, 5); }
  // The httpset.ini lines that point a till at this simulator.
  std::string httpsetIni() const;

 private:
  void start(std::vector<std::string> args);

  std::string folder_, dsn_;
  uint16_t port_ = 0;
  ChildProcess* process_ = nullptr;
};

// Whether a request that a simulator recorded in `dir` (--record) holds
// `text`; waitForRequest waits up to 20 s for one.
bool hasRequest(const std::string& dir, const std::string& text);
bool waitForRequest(const std::string& dir, const std::string& text);

// Where the build put the simulator.
std::string simulatorPath();

}  // namespace tavrix::testing

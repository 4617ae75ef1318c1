#include "tests/support/sim_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/localdb/admin.h"
#include "tests/support/temp_database.h"

extern char** environ;

namespace tavrix::testing {

std::string simulatorPath() {
  return TAVRIX_BIN_DIR "/headoffice-sim";
}

ChildProcess::ChildProcess(const std::vector<std::string>& args) {
  int fds[2];
  if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (rc != 0) {
    ::close(fds[0]);
    throw std::runtime_error("cannot start " + args[0]);
  }
  pipe_ = fds[0];
  reader_ = std::thread([this] {
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipe_, buffer, sizeof buffer)) > 0) {
      std::lock_guard lock(mutex_);
      output_.append(buffer, static_cast<size_t>(n));
    }
  });
}

ChildProcess::~ChildProcess() {
  stop();
  if (reader_.joinable()) reader_.join();
  ::close(pipe_);
}

bool ChildProcess::waitFor(const std::string& text, int seconds) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < until) {
    if (output().find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

std::string ChildProcess::output() const {
  std::lock_guard lock(mutex_);
  return output_;
}

int ChildProcess::stop() {
  if (pid_ > 0 && status_ < 0) ::kill(pid_, SIGTERM);
  return wait();
}

void ChildProcess::signal(int number) {
  if (pid_ > 0 && status_ < 0) ::kill(pid_, number);
}

int ChildProcess::wait() {
  if (pid_ > 0 && status_ < 0) {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (reader_.joinable()) reader_.join();
  }
  return status_;
}

bool hasRequest(const std::string& dir, const std::string& text) {
  std::error_code ec;
  for (const auto& file : std::filesystem::directory_iterator(dir, ec)) {
    if (file.path().string().find("-request") == std::string::npos) continue;
    std::ifstream in(file.path(), std::ios::binary);
    if (std::string(std::istreambuf_iterator<char>(in), {}).find(text) != std::string::npos)
      return true;
  }
  return false;
}

bool waitForRequest(const std::string& dir, const std::string& text) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!hasRequest(dir, text)) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

SimProcess::SimProcess(const std::vector<std::string>& options, const std::string& machine) {
  char pattern[] = "/tmp/tavrix-sim-XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("cannot make a temporary folder");
  folder_ = std::string(pattern) + "/";
  std::filesystem::permissions(folder_, std::filesystem::perms::all);
  dsn_ = "127.0.0.1:" + folder_ + "HO.FDB";
  std::vector<std::string> args = {"--create", "--machine", machine};
  args.insert(args.end(), options.begin(), options.end());
  start(args);
}

void SimProcess::restart(const std::vector<std::string>& options) {
  delete process_;
  process_ = nullptr;
  start(options);
}

void SimProcess::start(std::vector<std::string> args) {
  args.insert(args.begin(), {simulatorPath(), "--port", "0", "--database", dsn_});
  process_ = new ChildProcess(args);
  if (!process_->waitFor("listening on 127.0.0.1:")) {
    std::string out = process_->output();
    delete process_;
    process_ = nullptr;
    throw std::runtime_error("headoffice-sim did not start:\n" + out);
  }
  std::string out = process_->output();
  port_ = static_cast<uint16_t>(std::stoi(out.substr(out.find("listening on 127.0.0.1:") + 23)));
}

SimProcess::~SimProcess() {
  delete process_;
  try {
    localdb::dropDatabase(dsn_, kUser, kPassword);
  } catch (...) {
  }
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

std::string SimProcess::httpsetIni() const {
  return "[set]\r\nhost=127.0.0.1\r\nport=" + std::to_string(port_) + "\r\n";
}

}  // namespace tavrix::testing

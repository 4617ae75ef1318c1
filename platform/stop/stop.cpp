#include "platform/stop/stop.h"

#include <fcntl.h>
#include <ibase.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <stdexcept>

namespace tavrix::stop {

namespace {

std::atomic<int> g_signal{0};
std::atomic<bool> g_requested{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "touched from a signal handler");

// The self-pipe: a byte written on request wakes whoever polls the read end.
struct WakePipe {
  int fds[2] = {-1, -1};
  WakePipe() {
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("cannot make a pipe");
  }
} g_pipe;

void onSignal(int signal) {
  int saved = errno;
  request(signal);
  errno = saved;
}

// The client library handles these signals itself once it is in use, by
// shutting down every attachment; refusing that keeps the run's connection
// alive until the run stops at a safe point. Our own handler, installed first,
// is still called: the library chains to it.
int refuseSignalShutdown(const int reason, const int, void*) {
  return reason == fb_shutrsn_signal ? 1 : 0;
}

}  // namespace

void takeSignals() {
  struct sigaction action = {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM}) sigaction(signal, &action, nullptr);

  static bool registered = false;
  if (!registered) {
    ISC_STATUS_ARRAY status;
    fb_shutdown_callback(status, refuseSignalShutdown, fb_shut_confirmation, nullptr);
    registered = true;
  }
}

void request(int signal) {
  g_signal.store(signal);
  if (!g_requested.exchange(true)) {
    char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(g_pipe.fds[1], &byte, 1);
  }
}

bool requested() {
  return g_requested.load();
}

int signalNumber() {
  return g_signal.load();
}

void checkpoint() {
  if (requested()) throw Stopped();
}

bool sleepFor(std::chrono::milliseconds duration) {
  using clock = std::chrono::steady_clock;
  auto until = clock::now() + duration;
  for (;;) {
    if (requested()) return true;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - clock::now());
    if (left.count() <= 0) return false;
    pollfd fd = {g_pipe.fds[0], POLLIN, 0};
    ::poll(&fd, 1, static_cast<int>(std::min<long long>(left.count(), 1 << 30)));
  }
}

int descriptor() {
  return g_pipe.fds[0];
}

void reset() {
  char buffer[16];
  while (::read(g_pipe.fds[0], buffer, sizeof buffer) > 0) {
  }
  g_signal.store(0);
  g_requested.store(false);
}

}  // namespace tavrix::stop

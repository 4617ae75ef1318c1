// SIGINT and SIGTERM, and a self-pipe that wakes whoever waits.
#include <fcntl.h>
#include <ibase.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "platform/stop/stop.h"
#include "platform/stop/wake.h"

namespace tavrix::stop {

namespace {

// A byte written on request wakes whoever polls the read end.
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

namespace detail {

void wakeWaiters() {
  char byte = 1;
  [[maybe_unused]] ssize_t n = ::write(g_pipe.fds[1], &byte, 1);
}

void clearWake() {
  char buffer[16];
  while (::read(g_pipe.fds[0], buffer, sizeof buffer) > 0) {
  }
}

}  // namespace detail

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

}  // namespace tavrix::stop

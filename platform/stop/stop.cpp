#include "platform/stop/stop.h"

#include <atomic>

#include "platform/stop/wake.h"

namespace tavrix::stop {

namespace {

std::atomic<int> g_signal{0};
std::atomic<bool> g_requested{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "touched from a signal handler");

}  // namespace

void request(int signal) {
  g_signal.store(signal);
  if (!g_requested.exchange(true)) detail::wakeWaiters();
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

void reset() {
  detail::clearWake();
  g_signal.store(0);
  g_requested.store(false);
}

}  // namespace tavrix::stop

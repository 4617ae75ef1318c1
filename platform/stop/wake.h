// How each system wakes what waits for a stop; stop.cpp calls it, the
// system's own file implements it.
#pragma once

namespace tavrix::stop::detail {

// Safe in a signal handler.
void wakeWaiters();
void clearWake();

}  // namespace tavrix::stop::detail

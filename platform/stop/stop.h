// A stop asked for from outside the program (SIGINT, SIGTERM): long work ends
// at its next safe point instead of being killed halfway.
#pragma once

#include <chrono>
#include <exception>

namespace tavrix::stop {

// Raised at a safe point once a stop has been asked for.
class Stopped : public std::exception {
 public:
  const char* what() const noexcept override { return "stopped"; }
};

// SIGINT and SIGTERM ask for a stop from now on, and the database client is
// told to leave its attachments alone when it hears them too.
void takeSignals();

// Asks for a stop; `signal` (0 for none) decides the exit status. Safe in a
// signal handler.
void request(int signal);
bool requested();
// The signal that asked for the stop; 0 when none did.
int signalNumber();

// Raises Stopped once a stop has been asked for. Called between statements.
void checkpoint();

// Waits up to `duration`; true when a stop cut the wait short (or came before).
bool sleepFor(std::chrono::milliseconds duration);

// A descriptor that becomes readable once a stop has been asked for, for
// event loops that watch descriptors.
int descriptor();

// Forgets the stop (tests that ask for one and go on).
void reset();

}  // namespace tavrix::stop

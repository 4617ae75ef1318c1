// The two ways an operation fails: silently (the caller ends without a word)
// or with a message meant for a person.
#pragma once

#include <stdexcept>
#include <string>

namespace tavrix {

// Ends an operation without any message.
class SilentAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

// A failure with a message (Big5 bytes, like every engine string).
class GeneralError : public std::runtime_error {
 public:
  explicit GeneralError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace tavrix

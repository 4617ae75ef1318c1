// The two ways an operation fails: silently (the caller ends without a word)
// or with a message meant for a person.
#pragma once

#include <stdexcept>
#include <string>

namespace tavrix {

// Ends an operation without any message to the user. The reason is kept for
// diagnostics only (a terminal front end may print it); no window shows it.
class SilentAbort : public std::exception {
 public:
  SilentAbort() = default;
  explicit SilentAbort(std::string reason) : reason_(std::move(reason)) {}
  const char* what() const noexcept override {
    return reason_.empty() ? "Operation aborted" : reason_.c_str();
  }

 private:
  std::string reason_;
};

// A failure with a message (Big5 bytes, like every engine string).
class GeneralError : public std::runtime_error {
 public:
  explicit GeneralError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace tavrix

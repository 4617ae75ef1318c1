// The message of the GeneralError a call raises, or "(no error)".
#pragma once

#include <functional>
#include <string>

#include "platform/errors.h"

namespace tavrix::testing {

inline std::string errorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const GeneralError& e) {
    return e.what();
  }
  return "(no error)";
}

}  // namespace tavrix::testing

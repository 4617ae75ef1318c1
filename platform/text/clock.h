// The local time, injectable: stamps, today's date and the form boundary all
// read it, and tests fix it.
#pragma once

#include "platform/text/regional.h"

namespace tavrix::text {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime now() const = 0;
};

// The machine's local time, to the millisecond.
class SystemClock : public Clock {
 public:
  DateTime now() const override;
};

}  // namespace tavrix::text

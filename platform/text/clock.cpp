#include "platform/text/clock.h"

#include <chrono>
#include <ctime>

namespace tavrix::text {

DateTime SystemClock::now() const {
  auto now = std::chrono::system_clock::now();
  std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
#else
  localtime_r(&seconds, &local);
#endif
  return DateTime{{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday},
                  {local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms.count())}};
}

}  // namespace tavrix::text

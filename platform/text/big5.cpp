#include "platform/text/big5.h"

namespace tavrix::text {

std::string_view cutToWidth(std::string_view s, size_t width) {
  if (s.size() <= width) return s;
  size_t i = 0;
  while (i < s.size()) {
    size_t n = big5CharLength(s, i);
    if (i + n > width) break;
    i += n;
  }
  return s.substr(0, i);
}

}  // namespace tavrix::text

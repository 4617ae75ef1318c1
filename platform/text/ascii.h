// Letter case of ASCII only: names of fields, keys and keywords. Big5 bytes
// are never touched.
#pragma once

#include <string_view>

namespace tavrix::text {

inline char asciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

inline bool sameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (asciiUpper(a[i]) != asciiUpper(b[i])) return false;
  return true;
}

}  // namespace tavrix::text

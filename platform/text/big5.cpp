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

namespace {

constexpr char kKept = '\xFF';

size_t utf8Length(std::string_view s, size_t i) {
  auto c = static_cast<unsigned char>(s[i]);
  size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  return n > s.size() - i ? s.size() - i : n;
}

// Calls `plain` for each stretch of Big5 and `kept` for each kept character.
template <class Plain, class Kept>
void eachPart(std::string_view big5, Plain plain, Kept kept) {
  for (size_t i = 0; i < big5.size();) {
    size_t open = big5.find(kKept, i);
    size_t close = open == std::string_view::npos ? open : big5.find(kKept, open + 1);
    if (close == std::string_view::npos) {
      plain(big5.substr(i));
      return;
    }
    plain(big5.substr(i, open - i));
    kept(big5.substr(open + 1, close - open - 1));
    i = close + 1;
  }
}

}  // namespace

std::string big5ToUtf8(std::string_view big5) {
  if (big5.find(kKept) == std::string_view::npos) return plainBig5ToUtf8(big5);
  std::string out;
  eachPart(
      big5, [&](std::string_view part) { out += plainBig5ToUtf8(part); },
      [&](std::string_view name) { out += name; });
  return out;
}

std::string nameInBig5(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    size_t n = utf8Length(utf8, i);
    std::string_view c = utf8.substr(i, n);
    std::string big5 = static_cast<unsigned char>(c[0]) < 0x80 ? std::string(c) : utf8ToBig5(c);
    if (big5 == "?" && c != "?")
      out.append(1, kKept).append(c).append(1, kKept);
    else
      out += big5;
    i += n;
  }
  return out;
}

std::string big5ForFile(std::string_view big5) {
  if (big5.find(kKept) == std::string_view::npos) return std::string(big5);
  std::string out;
  eachPart(
      big5, [&](std::string_view part) { out += part; }, [&](std::string_view) { out += '?'; });
  return out;
}

}  // namespace tavrix::text

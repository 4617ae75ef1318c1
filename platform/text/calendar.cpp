#include "platform/text/calendar.h"

#include <cstdio>

#include "platform/errors.h"
#include "platform/text/number_text.h"

namespace tavrix {

namespace {

int64_t integerValue(std::string_view text) {
  auto v = text::parseInteger(text);
  if (!v) throw GeneralError("'" + std::string(text) + "' is not a valid integer value");
  return *v;
}

std::string padded(int64_t value, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.*lld", digits, static_cast<long long>(value));
  return buf;
}

// Everything before the first "/" (empty when there is none), and what follows
// that "/" (the whole text when there is none).
std::pair<std::string_view, std::string_view> cutAtSlash(std::string_view s) {
  size_t slash = s.find('/');
  if (slash == std::string_view::npos) return {{}, s};
  return {s.substr(0, slash), s.substr(slash + 1)};
}

}  // namespace

std::string DateToROC(std::string_view ad) {
  std::string_view tail = ad.size() > 4 ? ad.substr(4, 6) : std::string_view();
  int64_t year = integerValue(ad.substr(0, 4));
  return padded(year - 1911, 3) + std::string(tail);
}

std::string ROCToDate(std::string_view roc) {
  auto [yearText, rest] = cutAtSlash(roc);
  auto [month, dayPart] = cutAtSlash(rest);
  // Only the day is trimmed: blanks and control characters at both ends.
  while (!dayPart.empty() && static_cast<unsigned char>(dayPart.front()) <= 32)
    dayPart.remove_prefix(1);
  while (!dayPart.empty() && static_cast<unsigned char>(dayPart.back()) <= 32)
    dayPart.remove_suffix(1);
  int64_t year = integerValue(yearText) + 1911;
  return padded(year, 4) + "/" + std::string(month) + "/" + std::string(dayPart);
}

}  // namespace tavrix

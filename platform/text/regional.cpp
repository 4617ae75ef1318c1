#include "platform/text/regional.h"

#include <cmath>
#include <cstdio>

#include "platform/text/number_text.h"

namespace tavrix::text {

std::string formatDate(const Date& d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", d.year, d.month, d.day);
  return buf;
}

std::string formatTime(const Time& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return buf;
}

std::string formatDateTime(const DateTime& dt) {
  std::string out = formatDate(dt.date);
  if (dt.time.hour != 0 || dt.time.minute != 0 || dt.time.second != 0)
    out += " " + formatTime(dt.time);
  return out;
}

std::string formatStamp(const DateTime& dt) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d-%02d%02d%02d", dt.date.year, dt.date.month,
                dt.date.day, dt.time.hour, dt.time.minute, dt.time.second);
  return buf;
}

namespace {

bool leapYear(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leapYear(y) ? 29 : days[m - 1];
}

// Splits "a<sep>b<sep>c" into up to `count` unsigned numbers.
bool splitNumbers(std::string_view text, char sep, int* out, int count, int* got,
                  int* firstWidth = nullptr) {
  *got = 0;
  size_t i = 0;
  while (*got < count) {
    size_t start = i;
    int value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 9)
      value = value * 10 + (text[i++] - '0');
    if (i == start) return false;
    if (*got == 0 && firstWidth) *firstWidth = static_cast<int>(i - start);
    out[(*got)++] = value;
    if (i == text.size()) return true;
    if (text[i] != sep) return false;
    ++i;
  }
  return i == text.size();
}

}  // namespace

bool isValidDate(const Date& d) {
  return d.year >= 1 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
         d.day <= daysInMonth(d.year, d.month);
}

bool isValidTime(const Time& t) {
  return t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 &&
         t.second < 60 && t.msec >= 0 && t.msec < 1000;
}

std::optional<Date> parseDate(std::string_view text) {
  text = trimBlanks(text);
  int parts[3], got = 0, yearWidth = 0;
  if (!splitNumbers(text, '/', parts, 3, &got, &yearWidth) || got != 3) return std::nullopt;
  Date d{parts[0], parts[1], parts[2]};
  if (yearWidth > 4) return std::nullopt;
  if (yearWidth <= 2) d.year += 2000;
  if (!isValidDate(d)) return std::nullopt;
  return d;
}

std::optional<Time> parseTime(std::string_view text) {
  text = trimBlanks(text);
  std::string_view fraction;
  if (size_t dot = text.find('.'); dot != std::string_view::npos) {
    fraction = text.substr(dot + 1);
    text = text.substr(0, dot);
  }
  int parts[3] = {0, 0, 0}, got = 0;
  if (!splitNumbers(text, ':', parts, 3, &got) || got < 2) return std::nullopt;
  Time t{parts[0], parts[1], parts[2], 0};
  if (!fraction.empty()) {
    if (got != 3 || fraction.size() > 3) return std::nullopt;
    for (size_t i = 0; i < 3; ++i) {
      int digit = 0;
      if (i < fraction.size()) {
        if (fraction[i] < '0' || fraction[i] > '9') return std::nullopt;
        digit = fraction[i] - '0';
      }
      t.msec = t.msec * 10 + digit;
    }
  }
  if (!isValidTime(t)) return std::nullopt;
  return t;
}

std::optional<DateTime> parseDateTime(std::string_view text) {
  text = trimBlanks(text);
  size_t blank = text.find(' ');
  auto date = parseDate(text.substr(0, blank));
  if (!date) return std::nullopt;
  DateTime dt{*date, {}};
  if (blank != std::string_view::npos) {
    auto time = parseTime(text.substr(blank + 1));
    if (!time) return std::nullopt;
    dt.time = *time;
  }
  return dt;
}

// Howard Hinnant's days_from_civil / civil_from_days (days since 1970-01-01).
int64_t daysFromCivil(const Date& d) {
  int64_t y = d.year - (d.month <= 2 ? 1 : 0);
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t mp = (d.month + 9) % 12;
  int64_t doy = (153 * mp + 2) / 5 + d.day - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

Date civilFromDays(int64_t z) {
  z += 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t y = yoe + era * 400;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return Date{static_cast<int>(y + (m <= 2 ? 1 : 0)), m, d};
}

namespace {
const int64_t kDateTimeZero = daysFromCivil(Date{1899, 12, 30});
constexpr double kMsecPerDay = 86400000.0;
}  // namespace

double toDateTimeNumber(const DateTime& dt) {
  double days = static_cast<double>(daysFromCivil(dt.date) - kDateTimeZero);
  double ms =
      ((dt.time.hour * 60.0 + dt.time.minute) * 60.0 + dt.time.second) * 1000.0 + dt.time.msec;
  // Before the zero the fraction still counts forward in time (-1.25 is 06:00).
  return days >= 0 ? days + ms / kMsecPerDay : days - ms / kMsecPerDay;
}

DateTime fromDateTimeNumber(double value) {
  double whole = std::trunc(value);
  int64_t ms = std::llround(std::fabs(value - whole) * kMsecPerDay);
  if (ms >= 86400000) ms = 86399999;
  DateTime dt;
  dt.date = civilFromDays(kDateTimeZero + static_cast<int64_t>(whole));
  dt.time = Time{static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60),
                 static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000)};
  return dt;
}

}  // namespace tavrix::text

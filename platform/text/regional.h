// The regional settings of the tills, fixed: short date yyyy/mm/dd, long time
// hh:nn:ss (24 h), decimal separator ".". Calendar values and their texts.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrix::text {

struct Date {
  int year = 1899, month = 12, day = 30;  // the zero of the date-time number
  auto operator<=>(const Date&) const = default;
};

struct Time {
  int hour = 0, minute = 0, second = 0, msec = 0;
  auto operator<=>(const Time&) const = default;
};

struct DateTime {
  Date date;
  Time time;
  auto operator<=>(const DateTime&) const = default;
};

std::string formatDate(const Date& d);  // 2018/03/15
std::string formatTime(const Time& t);  // 09:05:00
// The date, then a blank and the time unless the time is exactly 00:00:00.
std::string formatDateTime(const DateTime& dt);
// The compact stamp of log lines and captions: 20180315-090500.
std::string formatStamp(const DateTime& dt);

// Short date: year/month/day with 1 to 4 year digits (two digits or fewer
// mean this century), checked against the calendar.
std::optional<Date> parseDate(std::string_view text);
// hh:nn[:ss[.zzz]]
std::optional<Time> parseTime(std::string_view text);
// A date, optionally followed by a blank and a time.
std::optional<DateTime> parseDateTime(std::string_view text);

bool isValidDate(const Date& d);
bool isValidTime(const Time& t);

// Days since 0001-01-01 style arithmetic, for conversions.
int64_t daysFromCivil(const Date& d);
Date civilFromDays(int64_t days);

// The classic date-time number: days since 1899-12-30 plus the fraction of day.
double toDateTimeNumber(const DateTime& dt);
DateTime fromDateTimeNumber(double value);

}  // namespace tavrix::text

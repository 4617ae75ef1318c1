// One field value: null, bytes, a whole number, a float, an exact decimal, a
// date, a time, a date-time or a boolean. It knows its own text form.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/text/regional.h"

namespace tavrix::dataset {

// An exact decimal: unscaled * 10^-scale (NUMERIC and BCD values).
struct Decimal {
  int64_t unscaled = 0;
  int scale = 0;

  double toDouble() const;
  // Plain text with every scale digit: 12.50 at scale 2 is "12.50".
  std::string toFixedText() const;
  // The value at another scale, rounded half away from zero; nothing on overflow.
  std::optional<Decimal> rescaled(int newScale) const;
  // Decimal text (sign, digits, ".", exponent) at the given scale, rounded half
  // away from zero; nothing when it is no number or does not fit.
  static std::optional<Decimal> fromText(std::string_view text, int scale);
  // Significant digits of the unscaled value.
  int digits() const;

  bool operator==(const Decimal& o) const = default;
};

class Value {
 public:
  using Storage = std::variant<std::monostate, std::string, int64_t, double, Decimal, text::Date,
                               text::Time, text::DateTime, bool>;

  Value() = default;
  static Value text(std::string bytes) { return Value(Storage(std::move(bytes))); }
  static Value integer(int64_t v) { return Value(Storage(v)); }
  static Value floating(double v) { return Value(Storage(v)); }
  static Value decimal(Decimal v) { return Value(Storage(v)); }
  static Value date(text::Date v) { return Value(Storage(v)); }
  static Value time(text::Time v) { return Value(Storage(v)); }
  static Value dateTime(text::DateTime v) { return Value(Storage(v)); }
  static Value boolean(bool v) { return Value(Storage(v)); }

  bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
  // Text form: bytes as they are, integers in decimal, floats and decimals in
  // the general number format, dates and times in the regional formats,
  // "True"/"False"; null gives empty text.
  std::string asText() const;
  // Null, blank text and false give 0; a date-time gives its classic number;
  // text that is no number raises a GeneralError.
  double asFloat() const;

  const Storage& storage() const { return v_; }
  template <class T>
  const T* get() const {
    return std::get_if<T>(&v_);
  }

  bool operator==(const Value& o) const = default;

 private:
  explicit Value(Storage v) : v_(std::move(v)) {}
  Storage v_;
};

}  // namespace tavrix::dataset

#include "platform/dataset/value.h"

#include <cmath>

#include "platform/errors.h"
#include "platform/text/number_text.h"

namespace tavrix::dataset {

namespace {

constexpr int kMaxDigits = 18;
constexpr int64_t kMaxUnscaled = 999999999999999999;  // 18 nines

}  // namespace

double Decimal::toDouble() const {
  // Through the text, so 0.1 at scale 1 gives exactly the double nearest 0.1.
  return *text::parseFloat(toFixedText());
}

std::string Decimal::toFixedText() const {
  bool negative = unscaled < 0;
  // Magnitude as text without overflow on the smallest int64.
  std::string digits = std::to_string(unscaled);
  if (negative) digits.erase(0, 1);
  if (scale > 0) {
    if (digits.size() <= static_cast<size_t>(scale))
      digits.insert(0, static_cast<size_t>(scale) + 1 - digits.size(), '0');
    digits.insert(digits.size() - static_cast<size_t>(scale), ".");
  } else if (scale < 0) {
    if (unscaled != 0) digits.append(static_cast<size_t>(-scale), '0');
  }
  return negative ? "-" + digits : digits;
}

int Decimal::digits() const {
  int n = 0;
  for (int64_t v = unscaled; v != 0; v /= 10) ++n;
  return n;
}

std::optional<Decimal> Decimal::rescaled(int newScale) const {
  return fromText(toFixedText(), newScale);
}

std::optional<Decimal> Decimal::fromText(std::string_view t, int scale) {
  if (!text::parseFloat(t) || scale < 0 || scale > kMaxDigits) return std::nullopt;
  t = text::trimBlanks(t);
  bool negative = false;
  if (t.front() == '+' || t.front() == '-') {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  // Digits of the mantissa and the position of the decimal point.
  std::string digits;
  int pointAt = -1;
  size_t i = 0;
  for (; i < t.size() && t[i] != 'e' && t[i] != 'E'; ++i) {
    if (t[i] == '.')
      pointAt = static_cast<int>(digits.size());
    else
      digits += t[i];
  }
  if (pointAt < 0) pointAt = static_cast<int>(digits.size());
  if (i < t.size()) {
    auto exp = text::parseInteger(t.substr(i + 1));
    if (!exp || *exp > 400 || *exp < -400) return std::nullopt;
    pointAt += static_cast<int>(*exp);
  }
  // Keep the digits that stand before the point once moved by `scale`.
  int keep = pointAt + scale;
  bool roundUp = false;
  std::string kept;
  if (keep < 0) {
    kept = "";
  } else if (static_cast<size_t>(keep) >= digits.size()) {
    kept = digits + std::string(static_cast<size_t>(keep) - digits.size(), '0');
  } else {
    kept = digits.substr(0, static_cast<size_t>(keep));
    roundUp = digits[static_cast<size_t>(keep)] >= '5';
  }
  size_t first = kept.find_first_not_of('0');
  kept = first == std::string::npos ? "" : kept.substr(first);
  if (kept.size() > static_cast<size_t>(kMaxDigits)) return std::nullopt;
  int64_t value = 0;
  for (char c : kept) value = value * 10 + (c - '0');
  if (roundUp) {
    if (value == kMaxUnscaled) return std::nullopt;
    ++value;
  }
  return Decimal{negative ? -value : value, scale};
}

std::string Value::asText() const {
  struct Visitor {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(const std::string& s) const { return s; }
    std::string operator()(int64_t v) const { return std::to_string(v); }
    std::string operator()(double v) const { return text::formatGeneral(v); }
    std::string operator()(const Decimal& v) const { return text::formatGeneral(v.toDouble()); }
    std::string operator()(const text::Date& v) const { return text::formatDate(v); }
    std::string operator()(const text::Time& v) const { return text::formatTime(v); }
    std::string operator()(const text::DateTime& v) const { return text::formatDateTime(v); }
    std::string operator()(bool v) const { return v ? "True" : "False"; }
  };
  return std::visit(Visitor{}, v_);
}

double Value::asFloat() const {
  struct Visitor {
    double operator()(std::monostate) const { return 0; }
    double operator()(const std::string& s) const {
      if (text::trimBlanks(s).empty()) return 0;
      if (auto v = text::parseFloat(s)) return *v;
      throw GeneralError("'" + s + "' is not a valid floating point value");
    }
    double operator()(int64_t v) const { return static_cast<double>(v); }
    double operator()(double v) const { return v; }
    double operator()(const Decimal& v) const { return v.toDouble(); }
    double operator()(const text::Date& v) const { return text::toDateTimeNumber({v, {}}); }
    double operator()(const text::Time& v) const { return text::toDateTimeNumber({{}, v}); }
    double operator()(const text::DateTime& v) const { return text::toDateTimeNumber(v); }
    double operator()(bool v) const { return v ? 1 : 0; }
  };
  return std::visit(Visitor{}, v_);
}

}  // namespace tavrix::dataset

#include "platform/text/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tavrix::text {

std::string formatGeneral(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";

  // 15 significant digits, rounded: d.dddddddddddddde±x
  char buffer[64];
  auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  std::string_view sci(buffer, end - buffer);
  bool negative = sci.front() == '-';
  if (negative) sci.remove_prefix(1);
  size_t e = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, e))
    if (c != '.') digits += c;
  int exponent = std::atoi(std::string(sci.substr(e + 1)).c_str());
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= -4 && exponent < 15) {
    if (exponent >= 0) {
      size_t whole = static_cast<size_t>(exponent) + 1;
      if (digits.size() <= whole) {
        out += digits + std::string(whole - digits.size(), '0');
      } else {
        out += digits.substr(0, whole) + "." + digits.substr(whole);
      }
    } else {
      out += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    }
  } else {
    out += digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += "E";
    if (exponent < 0) out += "-";
    out += std::to_string(std::abs(exponent));
  }
  return out;
}

std::string_view trimBlanks(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

namespace {
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Drops the blanks around the text and splits off an optional sign.
std::pair<bool, std::string_view> signAndMagnitude(std::string_view text) {
  text = trimBlanks(text);
  bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  return {negative, text};
}
}  // namespace

std::optional<double> parseFloat(std::string_view text) {
  auto [negative, rest] = signAndMagnitude(text);
  text = rest;
  // Check the shape ourselves: from_chars would also take "inf", "nan" and hex.
  size_t i = 0, mantissaDigits = 0;
  while (i < text.size() && isDigit(text[i])) ++i, ++mantissaDigits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && isDigit(text[i])) ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;

  std::string clean(text);
  if (clean.front() == '.') clean.insert(clean.begin(), '0');
  size_t dot = clean.find('.');
  if (dot != std::string::npos && (dot + 1 == clean.size() || !isDigit(clean[dot + 1])))
    clean.insert(dot + 1, "0");  // "5." and "5.e3"
  double value = 0;
  auto [ptr, ec] = std::from_chars(clean.data(), clean.data() + clean.size(), value);
  if (ec != std::errc() || ptr != clean.data() + clean.size()) return std::nullopt;
  return negative ? -value : value;
}

std::optional<int64_t> parseInteger(std::string_view text) {
  auto [negative, rest] = signAndMagnitude(text);
  text = rest;
  if (text.empty() || !isDigit(text.front())) return std::nullopt;
  std::string digits = negative ? "-" : "";
  digits += text;
  int64_t value = 0;
  auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || ptr != digits.data() + digits.size()) return std::nullopt;
  return value;
}

}  // namespace tavrix::text

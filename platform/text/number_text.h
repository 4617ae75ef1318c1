// Numbers as text, the way the tills write and read them: decimal separator
// ".", no thousands separators, and independent of the process locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrix::text {

// The general number format with 15 significant digits: plain notation for
// zero and for magnitudes from 0.0001 up to below 1E15, else scientific
// ("1E-5", "1E20", "-2.5E-7"); no trailing zeros.
std::string formatGeneral(double value);

// Whole text as a floating-point number: blanks around it, an optional sign,
// digits with an optional "." and an optional exponent. Anything else,
// empty text included, gives nothing.
std::optional<double> parseFloat(std::string_view text);

// Whole text as a decimal integer (blanks around it and a sign allowed).
std::optional<int64_t> parseInteger(std::string_view text);

std::string_view trimBlanks(std::string_view text);

}  // namespace tavrix::text

// The till writes dates in the ROC calendar (YYY/MM/DD, year = AD - 1911);
// the head office in AD (YYYY/MM/DD). Both conversions work on the text by
// position and separator and never check month or day.
#pragma once

#include <string>
#include <string_view>

namespace tavrix {

// "2018/03/15" -> "107/03/15". Raises GeneralError("'xxxx' is not a valid
// integer value") when the first four characters are not a whole number.
std::string DateToROC(std::string_view ad);

// "107/03/15" -> "2018/03/15". Raises the same error when the text before the
// first "/" is not a whole number (no "/" at all means an empty year).
std::string ROCToDate(std::string_view roc);

}  // namespace tavrix

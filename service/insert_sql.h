// The INSERT statement for the current record of a staging dataset.
#pragma once

#include <string>
#include <string_view>

#include "platform/dataset/dataset.h"

namespace tavrix {

// Data fields only, in field order. Values by field type:
//   Double, BCD, 16/32/64-bit integers: number text (general format, 15
//     digits; integers exactly), no apostrophes; null gives 0.
//   String, Memo, DateTime, Timestamp, and also Date, Time and Boolean:
//     cleaned text in apostrophes (dates "yyyy/mm/dd", times "hh:nn:ss",
//     date-times with the time left out at midnight, booleans True/False);
//     null gives NULL.
//   Blob: NULL, whatever it holds.
// Cleaning: blanks and control characters trimmed at both ends, apostrophes
// and "%" doubled, ";" turned into "-". The whole value list is trimmed once
// more and its "%" doubled again, so a "%" of the data stands four times in
// the result (the form halves it, the service's own pass halves it again).
// The result ends with CR LF. A dataset without fields raises GeneralError.
std::string BuildInsertSQL(const dataset::DataSet& dataset, std::string_view table);

}  // namespace tavrix

// The kinds that go a date at a time, as data: the deletion log, the key log
// and the clock-in records. The rows to send get the pending mark, each
// date goes in one batch, and a successful post marks the date. Templates
// take {group} (a date group), {oneday} (the one-day date) and {$COLUMN} (a
// staged value).
#pragma once

#include <vector>

#include "upload/column_copy.h"

namespace tavrix {

struct DateTravel {
  const char* headerLine;
  const char* probe;
  const char* pendingMark;        // not-yet-transferred mode
  const char* pendingMarkOneDay;  // one-day mode
  const char* dateGroups;
  const char* rowsOfDate;
  std::vector<ColumnCopy> columns;
  std::vector<const char*> deleteLines;  // per staged row
  const char* table;
  const char* mark;
};

extern const DateTravel kDeletionLogTravel;
extern const DateTravel kKeyLogTravel;
extern const DateTravel kClockInTravel;

}  // namespace tavrix

// How a kind that goes record by record travels: the record it picks, the
// head-office tables its rows go to (a header alone, or a header and its
// lines), its statement texts and how many attempts a run gives it. The
// statement templates take {date} (the local ROC date text), {ad} (its AD
// form, or the local text where the kind keeps it), {no} (the sale number)
// and {card}.
#pragma once

#include <vector>

#include "upload/column_copy.h"

namespace tavrix {

// Failed attempts in a row after which a kind ends for this run.
constexpr int kFailureBudget = 5;

// One head-office table a record goes to.
struct RecordPart {
  const char* table;  // probed, inserted into, counted
  const char* probe;
  // Every local row of the record, in the table's order; nullptr: the row
  // picked. With `orPicked`, no row found sends the picked row alone (a key
  // part that is null matches no row).
  const char* rows;
  bool orPicked;
  // Looks each row's product up (a template of {code}); nullptr for none.
  // The product's type follows it.
  const char* productLookup;
  const std::vector<ColumnCopy>* columns;
  const char* verification;  // the rows the head office holds of the record
  const char* shortfall;     // after the reason of a count that falls short
  const char* mark;
  const char* unmark;       // pending again, where another machine replaced it
  const char* stagingLine;  // logged before this part is staged; nullptr for none
};

enum class Attempts {
  OneSaleARun,   // one attempt a record and one record a run (unless catch_up)
  FailureBudget  // every pending record, until kFailureBudget failures in a row
};

struct RecordTravel {
  const char* headerLine;
  const char* passLine;  // written before every pick; nullptr for none
  const char* pick;
  const char* pickedLine;  // logged after "   >>" + date + "_" + number
  const char* cardColumn;  // a third key column; nullptr for none
  bool convertsDate;       // false: the local date text is sent as it is
  Variant variant;         // which of the sale-shaped columns apply
  std::vector<RecordPart> parts;
  // Every DELETE first, then each part's INSERTs in turn.
  std::vector<const char*> deleteLines;
  const char* copyFile;    // the last batch tried, in the folder that stands for C:\ ; or nullptr
  const char* markedLine;  // logged after the marks; nullptr for none
  Attempts attempts;
  // The sales' own progress lines: "..Remote", "..Batch", the outcome of the
  // post and of the verification, "   >>All OK.." at the end.
  bool logsEverySale;
};

}  // namespace tavrix

// The data kinds as descriptions. Texts with Chinese are UTF-8 here and
// become Big5 when written; statement templates take {date} (the local ROC
// date text), {ad} (its AD form), {no} (the sale number), {card}, {group}
// (a date group), {oneday} (the one-day date) and {$COLUMN} (a staged value).
#pragma once

#include <vector>

#include "upload/copy_rules.h"

namespace tavrix {

// Failed passes in a row after which a kind ends for this run.
constexpr int kFailureBudget = 5;

// The head-office header tables that carry the machine of a sale. A batch
// keyed by day and sale number is held back where another machine holds that
// sale in one of the tables its kind names (0: none, the key says the machine
// or is no sale).
enum HeaderTable : unsigned { kSaleHeaders = 1, kVoidedSaleHeaders = 2, kExchangeHeaders = 4 };

// Which of the sale-shaped kinds a staged column belongs to.
enum SaleVariant : unsigned { kSales = 1, kVoidedSales = 2, kExchanges = 4 };

// How a sale-shaped kind stages: its variant and the first lines of its two
// local lookups.
struct SaleShape {
  SaleVariant variant;
  const char* linesHead;    // the lines select up to the date value
  const char* productHead;  // the first line of the product lookup
};

// A kind whose record is a header with its lines, in two head-office tables:
// sales, voided sales, exchange records. Templates take {date}, {ad}, {no}.
struct SaleKind {
  const char* name;  // for the run log and status.json
  SaleShape shape;
  const char* headerLine;
  const char* probeHeader;
  const char* probeLines;
  const char* pick;
  const char* linesProgress;  // logged between header and lines; nullptr for none
  std::vector<const char*> deleteLines;
  const char* headerTable;
  const char* lineTable;
  const char* copyFile;  // nullptr for none
  const char* verifyHeader;
  const char* verifyLines;
  const char* markHeader;
  const char* markLines;
  const char* markedLine;  // logged after the marks; nullptr for none
  unsigned guardedBy;      // HeaderTable bits
  // Header, then lines: pending again, for a sale another machine replaced
  // at the head office after it was confirmed.
  std::vector<const char*> unmark;
};

extern const SaleKind kSalesKind;
extern const SaleKind kVoidedSalesKind;
extern const SaleKind kExchangesKind;

// A kind sent one local row at a time into one head-office table, each row
// verified before it is marked.
struct RecordKind {
  const char* name;  // for the run log and status.json
  const char* headerLine;
  const char* passLine;  // written before every pick; nullptr for none
  const char* probe;
  const char* pick;
  // Every local row with the picked key, in the table's order: the DELETE
  // removes every head-office row with that key, so all of them go again.
  const char* rowsOfKey;
  const char* progressSuffix;  // after "   >>" + date + "_" + sale number
  std::vector<ColumnCopy> columns;
  std::vector<const char*> deleteLines;
  const char* table;
  const char* copyFile;  // in the folder that stands for C:\ .
  const char* verification;
  const char* mark;
  const char* cardColumn;  // a third key column; nullptr for none
  bool convertsDate;       // false: the local date text is sent as it is
  unsigned guardedBy;      // HeaderTable bits
};

// A kind sent one date at a time: the rows to send get the pending mark, each
// date goes in one batch, and a successful post marks the date.
struct DateBatchedKind {
  const char* name;
  const char* headerLine;
  const char* probe;
  const char* pendingMark;        // not-yet-transferred mode
  const char* pendingMarkOneDay;  // one-day mode
  const char* dateGroups;
  const char* rowsOfDate;
  std::vector<ColumnCopy> columns;
  std::vector<const char*> deleteLines;  // per staged record
  const char* table;
  const char* mark;
  unsigned guardedBy;  // HeaderTable bits, through each row's SAL_NO
};

extern const RecordKind kPointRecords;
extern const RecordKind kStoredValueRecords;
extern const RecordKind kCreditCardRecords;
extern const DateBatchedKind kDeletionLog;
extern const DateBatchedKind kKeyLog;
extern const DateBatchedKind kClockInRecords;

}  // namespace tavrix

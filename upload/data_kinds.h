// The data kinds, in the order of the window's check list: per item its
// label and the kinds it runs; per kind its name, its tables at both ends,
// the header tables that guard it, and how it travels. Adding a kind is one
// entry in data_kinds.cpp.
#pragma once

#include <string>
#include <vector>

#include "upload/date_kinds.h"
#include "upload/record_kind.h"

namespace tavrix {

// The head-office header tables that carry the machine of a sale. A batch
// keyed by day and sale number is held back where another machine holds that
// sale in one of the tables its kind names (0: none, the key says the machine
// or is no sale).
enum HeaderTable : unsigned { kSaleHeaders = 1, kVoidedSaleHeaders = 2, kExchangeHeaders = 4 };

struct LocalTable {
  const char* local;       // the till's table
  const char* headOffice;  // where its rows go
  const char* dateColumn;  // the date of a record, ROC text
};

struct DataKind {
  const char* name;                // one English word: the run log, status.json, --status
  const char* inWords;             // for a sentence: "stored value", "the deletion log"
  std::vector<LocalTable> tables;  // the header's table first
  unsigned guardedBy;              // HeaderTable bits
  // How it travels: one of the two.
  const RecordTravel* byRecord;
  const DateTravel* byDate;
};

struct CheckListItem {
  const char* label;    // as the window shows it, UTF-8
  const char* english;  // a word or two for reports
  std::vector<const DataKind*> kinds;
};

const std::vector<CheckListItem>& checkList();

// The kinds in check-list order.
std::vector<const DataKind*> dataKinds();

// Every local table of every kind in check-list order, for reports about a
// till rather than for the transfer itself.
struct KindTable {
  const char* name;  // the kind
  std::string item;  // the check-list item and its English, UTF-8
  const char* local;
  const char* headOffice;
  const char* dateColumn;
};
const std::vector<KindTable>& kindTables();

}  // namespace tavrix

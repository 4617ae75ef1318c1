// The local tables of every data kind, for reports about a till rather than
// for the transfer itself.
#pragma once

#include <vector>

namespace tavrix {

struct KindTable {
  const char* name;        // the kind, one English word: "sales", "storedValue"
  const char* item;        // the check-list item and a word of English, UTF-8
  const char* local;       // the till's table
  const char* headOffice;  // where its rows go
  const char* dateColumn;  // the date of a record, ROC text
};

// Check-list order; a kind's line table follows its header table.
const std::vector<KindTable>& kindTables();

}  // namespace tavrix

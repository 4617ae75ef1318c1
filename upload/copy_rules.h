// How a local column reaches its staging column.
#pragma once

#include <vector>

#include "platform/dataset/dataset.h"
#include "platform/localdb/query.h"

namespace tavrix {

enum class CopyRule {
  Text,        // the local value as text (null: empty text), assigned as text
  Number,      // the local text as a number; no number (empty included) gives 0
  Date,        // the local ROC date text as AD date text
  TextAssign,  // the local text, for the staging column to convert by its type
  Value,       // the local value itself; null stays null
  Constant,    // a fixed text, no local column
};

struct ColumnCopy {
  const char* local;  // nullptr for a constant
  const char* staging;
  CopyRule rule;
  const char* constant = "";
};

// Fills the staging dataset's current record from the local row. A column
// missing on either side raises an error naming it.
void copyColumns(const localdb::SqlQuery& local, dataset::DataSet& staging,
                 const std::vector<ColumnCopy>& columns);

}  // namespace tavrix

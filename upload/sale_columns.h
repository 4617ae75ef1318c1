// The staged columns of the sale-shaped kinds, shared by all three; a
// column's variants say which of them stage it.
#pragma once

#include <vector>

#include "upload/column_copy.h"

namespace tavrix {

extern const std::vector<ColumnCopy> kSaleHeaderColumns;
extern const std::vector<ColumnCopy> kSaleLineColumns;

}  // namespace tavrix

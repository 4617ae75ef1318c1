// How a staged column gets its value: from which source (the local row, the
// row's product, the product's type, the run's own values) and by which
// rule. One table of these describes each head-office table a kind fills.
#pragma once

#include <vector>

#include "platform/dataset/dataset.h"
#include "platform/localdb/query.h"
#include "platform/text/clock.h"

namespace tavrix {

enum class From { Row, Product, ProductType, Run };

enum class Rule {
  Text,       // the value as text (null: empty text); the staged column converts by its type
  Number,     // the text as a number, 0 when it is none (empty included)
  NumberOr1,  // the same, 1 when it is none
  Date,       // ROC date text to AD
  DateIfAny,  // the same, but an empty text leaves the column empty
  Value,      // the value itself; null stays null
  First16,    // the first 16 characters of the text
  Float,      // the value read as a float (no row: 0)
  Quantity,   // |number|, negative when the text starts with "-"
  Cost,       // the row's price less the product's default profit margin
  Name,       // the text through the code page and back, as the tills store names
  TaxKind,    // the row's tax kind, else the product's
  StoreId,    // the run's store, warehouse
  StockId,
  Empty,     // empty text
  SaleFlag,  // the character meaning sale, for every variant
  Today,     // the run's date
};

// Which of the sale-shaped kinds a column belongs to; every other kind is
// all of them.
enum Variant : unsigned { kSales = 1, kVoidedSales = 2, kExchanges = 4, kEveryVariant = 7 };

struct ColumnCopy {
  const char* staging;
  From from;
  const char* local;  // the source's column; nullptr for the run's values
  Rule rule;
  unsigned variants = kEveryVariant;
  bool whereHeld = false;  // staged only where the head-office table has the column
};

// The sources of one staged row: the products are there for lines only.
struct CopySources {
  const localdb::SqlQuery& row;
  const localdb::SqlQuery* product;
  const localdb::SqlQuery* productType;
  const std::string& storeId;
  const std::string& stockId;
  const text::Clock& clock;
};

// Fills the staging dataset's current record. A column missing on either
// side raises an error naming it.
void copyColumns(const CopySources& from, dataset::DataSet& staging,
                 const std::vector<ColumnCopy>& columns, unsigned variant = kEveryVariant);

}  // namespace tavrix

// Staging a sale-shaped record (sales, voided sales, exchange records): the
// header into CDS_PosMaster, the lines into CDS_PosSub, each line enriched
// from the product master and the product types.
#pragma once

#include <string>

namespace tavrix {

class UploadEngine;

enum SaleVariant : unsigned { kSales = 1, kVoidedSales = 2, kExchanges = 4 };

struct SaleShape {
  SaleVariant variant;
  const char* linesHead;    // the lines select up to the date value
  const char* productHead;  // the first line of the product lookup
};

// Empties both staging datasets and stages the header from SQL_DataMain's
// current row.
void StageSaleHeader(UploadEngine& engine, const SaleShape& shape);

// Opens the sale's lines in SQL_DataMast and stages one record per line.
void StageSaleLines(UploadEngine& engine, const SaleShape& shape, const std::string& rocDate,
                    const std::string& saleNo);

}  // namespace tavrix

// Staging a sale-shaped record (sales, voided sales, exchange records): the
// header into the staged sale header, the lines into the staged sale lines,
// each line enriched from the product master and the product types.
#pragma once

#include <string>

#include "upload/kinds.h"
#include "upload/run_context.h"

namespace tavrix {

// Empties both staging datasets and stages the header from the pending
// sale header in local.recordRows.
void StageSaleHeader(RunContext& run, const SaleShape& shape);

// Opens the sale's lines in local.saleLines and stages one record per line.
void StageSaleLines(RunContext& run, const SaleShape& shape, const std::string& rocDate,
                    const std::string& saleNo);

}  // namespace tavrix

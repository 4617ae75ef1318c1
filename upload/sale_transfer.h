// The sale-shaped kinds: sales, voided sales and exchange records, each a
// header with its lines in two head-office tables.
#pragma once

#include "upload/run_context.h"

namespace tavrix {

// One sale per run, one attempt, and a progress line for every step.
void TransferSales(RunContext& run);
// Every pending record, with the failure budget of five failed attempts.
void TransferVoidedSales(RunContext& run);
void TransferExchanges(RunContext& run);

}  // namespace tavrix

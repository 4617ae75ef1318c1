// The record transfer cycle of every kind that goes record by record
// (sales, voided sales, exchange records, points, stored value, card slips):
// probe, pick, stage, batch, post, verify, mark, written once; the kind's
// description says the rest.
#pragma once

#include <string>

#include "upload/data_kinds.h"
#include "upload/run_context.h"

namespace tavrix {

// Record by record: each pass picks the first record not yet transferred,
// sends it with every row of its key (and its lines), and marks them once
// the head office holds as many. The kind's attempts say when it ends.
void transferEachRecord(RunContext& run, const DataKind& kind);

// Why a verification failed, for the run log and status.json.
std::string heldOfSent(int held, int sent);

}  // namespace tavrix

// The record transfer cycle, written once for every kind: probe, pick, stage,
// batch, post, verify, mark.
#pragma once

#include <string>

#include "upload/kinds.h"
#include "upload/run_context.h"

namespace tavrix {

// Row by row: each pass picks the first row not yet transferred, sends it with
// every row of its key and marks them once the head office holds as many. Five failed passes in
// a row end the kind for this run.
void transferRecords(RunContext& run, const RecordKind& kind);

// Date by date: marks the rows to send pending ("*"), posts each date's rows
// in one batch and marks the date transferred when the service answered
// success.
void transferByDate(RunContext& run, const DateBatchedKind& kind);

// Why a verification failed, for the run log and status.json.
std::string heldOfSent(int held, int sent);

}  // namespace tavrix

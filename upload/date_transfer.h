// The record transfer cycle of the kinds that go a date at a time (the
// deletion log, the key log, the clock-in records).
#pragma once

#include "upload/data_kinds.h"
#include "upload/run_context.h"

namespace tavrix {

// Date by date: marks the rows to send pending ("*"), posts each date's rows
// in one batch and marks the date transferred when the service answered
// success.
void transferByDate(RunContext& run, const DataKind& kind);

}  // namespace tavrix

// The kinds that go record by record, as data: sales, voided sales and
// exchange records (a header with its lines), points, stored value and
// credit-card slips (the rows of one key).
#pragma once

#include "upload/record_kind.h"

namespace tavrix {

extern const RecordTravel kSalesTravel;
extern const RecordTravel kVoidedSalesTravel;
extern const RecordTravel kExchangesTravel;
extern const RecordTravel kPointsTravel;
extern const RecordTravel kStoredValueTravel;
extern const RecordTravel kCardSlipsTravel;

}  // namespace tavrix

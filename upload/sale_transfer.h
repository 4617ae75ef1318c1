// The sale-shaped kinds: sales, voided sales and exchange records, each a
// header with its lines in two head-office tables.
#pragma once

#include <vector>

#include "upload/kinds.h"
#include "upload/sale_staging.h"

namespace tavrix {

class UploadEngine;

// Texts with Chinese are UTF-8 and become Big5 when written. Templates take
// {date} (the local ROC date text), {ad} (its AD form) and {no}.
struct SaleKind {
  const char* name;  // for the run log and status.json
  SaleShape shape;
  const char* headerLine;
  const char* probeHeader;
  const char* probeLines;
  const char* pick;
  const char* linesProgress;  // logged between header and lines; nullptr for none
  std::vector<const char*> deleteLines;
  const char* headerTable;
  const char* lineTable;
  const char* copyFile;  // nullptr for none
  const char* verifyHeader;
  const char* verifyLines;
  const char* markHeader;
  const char* markLines;
  const char* markedLine;  // logged after the marks; nullptr for none
};

extern const SaleKind kSalesKind;
extern const SaleKind kVoidedSalesKind;
extern const SaleKind kExchangesKind;

// One sale per run, one attempt, and a progress line for every step.
void TransferSales(UploadEngine& engine);
// Every pending record, with the failure budget of five failed attempts.
void TransferVoidedSales(UploadEngine& engine);
void TransferExchanges(UploadEngine& engine);

}  // namespace tavrix

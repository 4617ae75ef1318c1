#include "upload/data_kinds.h"

#include "upload/record_kinds.h"

namespace tavrix {

namespace {

const DataKind kSalesKind = {
    "sales",
    "sales",
    {{"LOC_MAIN", "POS_MASTER", "SAL_DATE"}, {"LOC_MAST", "POS_SUB", "SAL_DATE"}},
    kSaleHeaders,
    &kSalesTravel,
    nullptr};
const DataKind kPointsKind = {
    "points",     "points",       {{"POINT_MASTER", "POINT_MASTER", "SAL_DATE"}},
    kSaleHeaders, &kPointsTravel, nullptr};
const DataKind kStoredValueKind = {
    "storedValue", "stored value",      {{"DECCASH_SUB", "DECCASH_SUB", "SAL_DATE"}},
    kSaleHeaders,  &kStoredValueTravel, nullptr};
// A void also withdraws the sale: guarded through both header tables.
const DataKind kVoidsKind = {
    "voids",
    "voided sales",
    {{"LOC_MAID", "POS_MASTERD", "SAL_DATE"}, {"LOC_MASD", "POS_SUBD", "SAL_DATE"}},
    kSaleHeaders | kVoidedSaleHeaders,
    &kVoidedSalesTravel,
    nullptr};
const DataKind kCardSlipsKind = {
    "cardSlips",  "card slips",      {{"CREDIT_CARD", "CREDIT_CARD", "SAL_DATE"}},
    kSaleHeaders, &kCardSlipsTravel, nullptr};
// Each row of a day's batch is guarded: a day with one such row stays pending whole.
const DataKind kDeletionsKind = {
    "deletions", "the deletion log", {{"LOC_DELE", "POS_DELE", "SAL_DATE"}}, kSaleHeaders,
    nullptr,     &kDeletionLogTravel};
// Deletes by machine too: nothing to guard.
const DataKind kKeysKind = {"keys", "the key log", {{"LOC_KEY", "POS_KEY", "SAL_DATE"}},
                            0,      nullptr,       &kKeyLogTravel};
const DataKind kExchangesKind = {"exchanges",
                                 "exchange records",
                                 {{"LOC_MAIN_CHG", "POSCHANGE_MASTER", "SAL_DATE"},
                                  {"LOC_MAST_CHG", "POSCHANGE_SUB", "SAL_DATE"}},
                                 kExchangeHeaders,
                                 &kExchangesTravel,
                                 nullptr};
// Keyed by employee and time, not by sale.
const DataKind kClockInsKind = {
    "clockIns", "clock-in records", {{"LOC_DAY", "POS_DAY", "INI_DATE"}}, 0,
    nullptr,    &kClockInTravel};

}  // namespace

const std::vector<CheckListItem>& checkList() {
  static const std::vector<CheckListItem> items = {
      {"收銀銷售", "sales", {&kSalesKind}},
      {"點數記錄", "points", {&kPointsKind, &kStoredValueKind}},
      {"收銀作廢", "voids", {&kVoidsKind}},
      {"信用卡檔", "card slips", {&kCardSlipsKind}},
      {"刪除記錄", "deletions", {&kDeletionsKind}},
      {"按鍵記錄", "keys", {&kKeysKind}},
      {"兌換資料", "exchanges", {&kExchangesKind}},
      {"打卡資料", "clock-ins", {&kClockInsKind}},
      {"收支記錄", "income and expenses", {}},  // no transfer
  };
  return items;
}

std::vector<const DataKind*> dataKinds() {
  std::vector<const DataKind*> kinds;
  for (const CheckListItem& item : checkList())
    kinds.insert(kinds.end(), item.kinds.begin(), item.kinds.end());
  return kinds;
}

const std::vector<KindTable>& kindTables() {
  static const std::vector<KindTable> tables = [] {
    std::vector<KindTable> out;
    for (const CheckListItem& item : checkList())
      for (const DataKind* kind : item.kinds)
        for (const LocalTable& t : kind->tables)
          out.push_back({kind->name, std::string(item.label) + " " + item.english, t.local,
                         t.headOffice, t.dateColumn});
    return out;
  }();
  return tables;
}

}  // namespace tavrix

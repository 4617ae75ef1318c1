// Texts with Chinese are UTF-8 here and become Big5 when written.
#include "upload/record_kinds.h"

#include "upload/sale_columns.h"

namespace tavrix {

namespace {

using F = From;
using R = Rule;

const std::vector<ColumnCopy> kPointColumns = {
    {"SAL_DATE", F::Row, "SAL_DATE", R::Date},         {"SAL_NO", F::Row, "SAL_NO", R::Text},
    {"MEMBER_ID", F::Row, "MEMBER_ID", R::Text},       {"DISROL", F::Row, "DISROL", R::Number},
    {"I_POINT", F::Row, "I_POINT", R::Number},         {"U_POINT", F::Row, "U_POINT", R::Number},
    {"POINT_COUNT", F::Row, "POINT_COUNT", R::Number}, {"IC_CARD", F::Row, "IC_CARD", R::Text},
    {"IC_AMT", F::Row, "IC_AMT", R::Number},           {"PDCSHET", F::Row, "PDCSHET", R::Number},
    {"REL_SAL", F::Row, "REL_SAL", R::Number}};

const std::vector<ColumnCopy> kStoredValueColumns = {
    {"SAL_DATE", F::Row, "SAL_DATE", R::Text},       {"SAL_NO", F::Row, "SAL_NO", R::Text},
    {"ICCARD_ID", F::Row, "ICCARD_ID", R::Text},     {"IC_AMT", F::Row, "IC_AMT", R::Number},
    {"DEC_CASH", F::Row, "DEC_CASH", R::Number},     {"MEMBER_ID", F::Row, "MEMBER_ID", R::Text},
    {"MEMBER_NAME", F::Row, "MEMBER_NAME", R::Text}, {"CHG_DATE", F::Row, "CHG_DATE", R::Text},
    {"CHG_TIME", F::Row, "CHG_TIME", R::Text},       {"CHG_USER", F::Row, "CHG_USER", R::Text},
    {"IC_CARD", F::Row, "IC_CARD", R::Text},         {"REL_SAL", F::Row, "REL_SAL", R::Number},
    {"PDCSHET", F::Row, "PDCSHET", R::Number}};

// Every column but the date as text, for the staged column to convert.
const std::vector<ColumnCopy> kCardSlipColumns = [] {
  std::vector<ColumnCopy> c = {{"SAL_DATE", F::Row, "SAL_DATE", R::Date}};
  for (const char* name :
       {"SAL_NO",           "CARD_BANK",         "MCH_NO",          "INV_NO",      "MAN_CODE",
        "CLASS_NO",         "TRANS_TYPE",        "HOST_ID",         "RECEIPT_NO",  "CARD_NO",
        "CARD_EXPIRE_DATE", "TRANS_AMOUNT",      "TRANS_DATE",      "TRANS_TIME",  "APPROVAL_NO",
        "REBATE_POINT",     "ECR_RESPONSE_CODE", "ECR_TERMINAL_ID", "REAL_AMOUNT", "REBATE_AMOUNT",
        "ORDER_NO",         "RESERVE1",          "RESERVE2"})
    c.push_back({name, F::Row, name, R::Text});
  return c;
}();

const char kProductLookup[] =
    "select *  From Loc_Pdc \r\n Where  PROD_ID  = '{code}'\r\n or     Bar_Code = '{code}'";

}  // namespace

const RecordTravel kSalesTravel = {
    .headerLine = " 銷售資料上傳中..!",
    .passLine = nullptr,
    .pick = "select FIRST 1 * FROM LOC_MAIN WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .pickedLine = "...",
    .cardColumn = nullptr,
    .convertsDate = true,
    .variant = kSales,
    .parts = {{.table = "POS_MASTER",
               .probe = "SELECT FIRST 1 * FROM POS_MASTER WHERE SAL_DATE = '0000/00/00' ",
               .rows = nullptr,
               .orPicked = false,
               .productLookup = nullptr,
               .columns = &kSaleHeaderColumns,
               .verification = "SELECT sal_date FROM POS_MASTER  WHERE SAL_DATE = '{ad}' AND   "
                               "SAL_NO   = '{no}'",
               .shortfall = " (headers)",
               .mark = "UPDATE LOC_MAIN SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   "
                       "SAL_NO   = '{no}'",
               .unmark = "UPDATE LOC_MAIN SET TRN_CODE = NULL WHERE SAL_DATE = '{date}' AND "
                         "SAL_NO = '{no}'",
               .stagingLine = nullptr},
              {.table = "POS_SUB",
               .probe = "SELECT FIRST 1 * FROM POS_SUB WHERE SAL_DATE = '0000/00/00' ",
               .rows = "SELECT * FROM LOC_MAST  WHERE   SAL_DATE = '{date}' AND     SAL_NO   = "
                       "'{no}'",
               .orPicked = false,
               .productLookup = kProductLookup,
               .columns = &kSaleLineColumns,
               .verification = "SELECT sal_date FROM POS_SUB  WHERE SAL_DATE = '{ad}' AND   "
                               "SAL_NO   = '{no}'",
               .shortfall = " (lines)",
               .mark = "UPDATE LOC_MAST SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   "
                       "SAL_NO   = '{no}'",
               .unmark = "UPDATE LOC_MAST SET TRN_CODE = NULL WHERE SAL_DATE = '{date}' AND "
                         "SAL_NO = '{no}'",
               .stagingLine = "...LOC_MAST"}},
    .deleteLines = {"DELETE FROM POS_MASTER   WHERE SAL_DATE = '{ad}'",
                    "                           AND SAL_NO   = '{no}';",
                    "DELETE FROM POS_SUB      WHERE SAL_DATE = '{ad}'",
                    "                           AND SAL_NO   = '{no}';"},
    .copyFile = nullptr,
    .markedLine = nullptr,
    .attempts = Attempts::OneSaleARun,
    .logsEverySale = true,
};

// A void also withdraws the sale and its points from the head office.
const RecordTravel kVoidedSalesTravel = {
    .headerLine = " 銷售作廢上傳中..!",
    .passLine = nullptr,
    .pick = "select FIRST 1 * FROM LOC_MAID WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .pickedLine = "...",
    .cardColumn = nullptr,
    .convertsDate = true,
    .variant = kVoidedSales,
    .parts = {{.table = "POS_MASTERD",
               .probe = "SELECT FIRST 1 * FROM POS_MASTERD WHERE SAL_DATE = '0000/00/00' ",
               .rows = nullptr,
               .orPicked = false,
               .productLookup = nullptr,
               .columns = &kSaleHeaderColumns,
               .verification = "SELECT sal_date FROM POS_MASTERD  WHERE SAL_DATE = '{ad}' AND   "
                               "SAL_NO   = '{no}'",
               .shortfall = " (headers)",
               .mark = "UPDATE LOC_MAID SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   "
                       "SAL_NO   = '{no}'",
               .unmark = "UPDATE LOC_MAID SET TRN_CODE = NULL WHERE SAL_DATE = '{date}' AND "
                         "SAL_NO = '{no}'",
               .stagingLine = nullptr},
              {.table = "POS_SUBD",
               .probe = "SELECT FIRST 1 * FROM POS_SUBD WHERE SAL_DATE = '0000/00/00' ",
               .rows = "SELECT * FROM LOC_MASD  WHERE   SAL_DATE = '{date}' AND     SAL_NO   = "
                       "'{no}'",
               .orPicked = false,
               // One blank more after the table's name than for the others.
               .productLookup = "select *  From Loc_Pdc  \r\n Where  PROD_ID  = '{code}'\r\n or "
                                "    Bar_Code = '{code}'",
               .columns = &kSaleLineColumns,
               .verification = "SELECT sal_date FROM POS_SUBD  WHERE SAL_DATE = '{ad}' AND   "
                               "SAL_NO   = '{no}'",
               .shortfall = " (lines)",
               .mark = "UPDATE LOC_MASD SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   "
                       "SAL_NO   = '{no}'",
               .unmark = "UPDATE LOC_MASD SET TRN_CODE = NULL WHERE SAL_DATE = '{date}' AND "
                         "SAL_NO = '{no}'",
               .stagingLine = nullptr}},
    .deleteLines = {"DELETE FROM POS_MASTER   WHERE SAL_DATE = '{ad}'",
                    "                           AND SAL_NO   = '{no}';",
                    "DELETE FROM POS_SUB      WHERE SAL_DATE = '{ad}'",
                    "                           AND SAL_NO   = '{no}';",
                    "DELETE FROM POINT_MASTER WHERE SAL_DATE = '{ad}'",
                    "                           AND SAL_NO   = '{no}';",
                    "DELETE FROM DECCASH_SUB  WHERE SAL_DATE = '{ad}'",
                    "                           AND SAL_NO   = '{no}';",
                    "DELETE FROM POS_MASTERD WHERE SAL_DATE = '{ad}'",
                    "                          AND SAL_NO   = '{no}';",
                    "DELETE FROM POS_SUBD    WHERE SAL_DATE = '{ad}'",
                    "                          AND SAL_NO   = '{no}';"},
    .copyFile = "SQL123D.TXT",
    .markedLine = "{date} {no}..ok",
    .attempts = Attempts::FailureBudget,
    .logsEverySale = false,
};

const RecordTravel kExchangesTravel = {
    .headerLine = " 兌換資料上傳中..!",
    .passLine = nullptr,
    .pick = "select FIRST 1 * FROM LOC_MAIN_CHG WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .pickedLine = "...",
    .cardColumn = nullptr,
    .convertsDate = true,
    .variant = kExchanges,
    .parts = {{.table = "POSCHANGE_MASTER",
               .probe = "SELECT FIRST 1 * FROM POSCHANGE_MASTER WHERE SAL_DATE = '0000/00/00' ",
               .rows = nullptr,
               .orPicked = false,
               .productLookup = nullptr,
               .columns = &kSaleHeaderColumns,
               .verification = "SELECT sal_date FROM POSCHANGE_MASTER  WHERE SAL_DATE = '{ad}' "
                               "AND   SAL_NO   = '{no}'",
               .shortfall = " (headers)",
               .mark = "UPDATE LOC_MAIN_CHG SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   "
                       "SAL_NO   = '{no}'",
               .unmark = "UPDATE LOC_MAIN_CHG SET TRN_CODE = NULL WHERE SAL_DATE = '{date}' AND "
                         "SAL_NO = '{no}'",
               .stagingLine = nullptr},
              {.table = "POSCHANGE_SUB",
               .probe = "SELECT FIRST 1 * FROM POSCHANGE_SUB WHERE SAL_DATE = '0000/00/00' ",
               .rows = "SELECT * FROM LOC_MAST_CHG  WHERE   SAL_DATE = '{date}' AND     SAL_NO   "
                       "= '{no}'",
               .orPicked = false,
               .productLookup = kProductLookup,
               .columns = &kSaleLineColumns,
               .verification = "SELECT sal_date FROM POSCHANGE_SUB  WHERE SAL_DATE = '{ad}' AND   "
                               "SAL_NO   = '{no}'",
               .shortfall = " (lines)",
               .mark = "UPDATE LOC_MAST_CHG SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   "
                       "SAL_NO   = '{no}'",
               .unmark = "UPDATE LOC_MAST_CHG SET TRN_CODE = NULL WHERE SAL_DATE = '{date}' AND "
                         "SAL_NO = '{no}'",
               .stagingLine = "...LOC_MAST_CHG"}},
    .deleteLines = {"DELETE FROM POSCHANGE_MASTER   WHERE SAL_DATE = '{ad}'",
                    "                                 AND SAL_NO   = '{no}';",
                    "DELETE FROM POSCHANGE_SUB      WHERE SAL_DATE = '{ad}'",
                    "                                 AND SAL_NO   = '{no}';"},
    .copyFile = "SQL123.TXT",
    .markedLine = nullptr,
    .attempts = Attempts::FailureBudget,
    .logsEverySale = false,
};

const RecordTravel kPointsTravel = {
    .headerLine = " 點數記錄資料上傳中..!",
    .passLine = nullptr,
    .pick = "select FIRST 1 * FROM POINT_MASTER WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .pickedLine = "...POINT_MASTER",
    .cardColumn = nullptr,
    .convertsDate = true,
    .variant = kEveryVariant,
    .parts = {{.table = "POINT_MASTER",
               .probe = "SELECT FIRST 1 * FROM POINT_MASTER WHERE SAL_DATE = '0000/00/00' ",
               .rows = "SELECT * FROM POINT_MASTER WHERE SAL_DATE = '{date}' AND SAL_NO = '{no}'",
               .orPicked = true,
               .productLookup = nullptr,
               .columns = &kPointColumns,
               .verification = "SELECT sal_date FROM POINT_MASTER  WHERE SAL_DATE = '{ad}' AND   "
                               "SAL_NO   = '{no}'",
               .shortfall = "",
               .mark = "UPDATE POINT_MASTER SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   "
                       "SAL_NO   = '{no}'",
               .unmark = nullptr,
               .stagingLine = nullptr}},
    .deleteLines = {"DELETE FROM POINT_MASTER WHERE SAL_DATE = '{ad}'",
                    "                           AND SAL_NO   = '{no}';"},
    .copyFile = "SQL123POINT.TXT",
    .markedLine = nullptr,
    .attempts = Attempts::FailureBudget,
    .logsEverySale = false,
};

// Stored value keeps the local date text at the head office.
const RecordTravel kStoredValueTravel = {
    .headerLine = " 儲值記錄資料上傳中..!",
    .passLine = nullptr,
    .pick = "select FIRST 1 * FROM DECCASH_SUB WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .pickedLine = "...DECCASH_SUB",
    .cardColumn = "ICCARD_ID",
    .convertsDate = false,
    .variant = kEveryVariant,
    .parts = {{.table = "DECCASH_SUB",
               .probe = "SELECT FIRST 1 * FROM DECCASH_SUB WHERE SAL_DATE = '0000/00/00' ",
               .rows = "SELECT * FROM DECCASH_SUB WHERE SAL_DATE = '{date}' AND SAL_NO = '{no}' "
                       "AND ICCARD_ID = '{card}'",
               .orPicked = true,
               .productLookup = nullptr,
               .columns = &kStoredValueColumns,
               .verification = "SELECT sal_date FROM DECCASH_SUB  WHERE SAL_DATE  = '{date}' AND "
                               "  SAL_NO    = '{no}' AND   ICCARD_ID = '{card}'",
               .shortfall = "",
               .mark = "UPDATE DECCASH_SUB SET TRN_CODE = 'Y'  WHERE SAL_DATE  = '{date}' AND   "
                       "SAL_NO    = '{no}' AND   ICCARD_ID = '{card}'",
               .unmark = nullptr,
               .stagingLine = nullptr}},
    .deleteLines = {"DELETE FROM DECCASH_SUB WHERE SAL_DATE  = '{date}'",
                    "                           AND SAL_NO    = '{no}'",
                    "                           AND ICCARD_ID = '{card}';"},
    .copyFile = "SQL123DECCASH.TXT",
    .markedLine = nullptr,
    .attempts = Attempts::FailureBudget,
    .logsEverySale = false,
};

const RecordTravel kCardSlipsTravel = {
    .headerLine = " 信用卡檔上傳中..!",
    .passLine = " 信用卡檔上傳中..!1",
    .pick = "select FIRST 1 * FROM CREDIT_CARD WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .pickedLine = "...CREDIT_CARD信用卡",
    .cardColumn = nullptr,
    .convertsDate = true,
    .variant = kEveryVariant,
    .parts = {{.table = "CREDIT_CARD",
               .probe = "SELECT FIRST 1 * FROM CREDIT_CARD WHERE SAL_DATE = '0000/00/00' ",
               .rows = "SELECT * FROM CREDIT_CARD WHERE SAL_DATE = '{date}' AND SAL_NO = '{no}'",
               .orPicked = true,
               .productLookup = nullptr,
               .columns = &kCardSlipColumns,
               .verification = "SELECT sal_date FROM CREDIT_CARD  WHERE SAL_DATE = '{ad}' AND   "
                               "SAL_NO   = '{no}'",
               .shortfall = "",
               .mark = "UPDATE CREDIT_CARD SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   "
                       "SAL_NO   = '{no}'",
               .unmark = nullptr,
               .stagingLine = nullptr}},
    // One blank fewer before AND than for the point records.
    .deleteLines = {"DELETE FROM CREDIT_CARD WHERE SAL_DATE = '{ad}'",
                    "                          AND SAL_NO   = '{no}';"},
    .copyFile = "SQL123CREDIT_CARD.TXT",
    .markedLine = nullptr,
    .attempts = Attempts::FailureBudget,
    .logsEverySale = false,
};

}  // namespace tavrix

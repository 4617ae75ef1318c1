#include "upload/kinds.h"

namespace tavrix {

using R = CopyRule;

const SaleKind kSalesKind = {
    .name = "sales",
    .shape = {kSales, "SELECT * FROM LOC_MAST  WHERE   SAL_DATE = '", "select *  From Loc_Pdc "},
    .headerLine = " 銷售資料上傳中..!",
    .probeHeader = "SELECT FIRST 1 * FROM POS_MASTER WHERE SAL_DATE = '0000/00/00' ",
    .probeLines = "SELECT FIRST 1 * FROM POS_SUB WHERE SAL_DATE = '0000/00/00' ",
    .pick = "select FIRST 1 * FROM LOC_MAIN WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .linesProgress = "...LOC_MAST",
    .deleteLines = {"DELETE FROM POS_MASTER   WHERE SAL_DATE = '{ad}'",
                    "                           AND SAL_NO   = '{no}';",
                    "DELETE FROM POS_SUB      WHERE SAL_DATE = '{ad}'",
                    "                           AND SAL_NO   = '{no}';"},
    .headerTable = "POS_MASTER",
    .lineTable = "POS_SUB",
    .copyFile = nullptr,
    .verifyHeader =
        "SELECT sal_date FROM POS_MASTER  WHERE SAL_DATE = '{ad}' AND   SAL_NO   = '{no}'",
    .verifyLines = "SELECT sal_date FROM POS_SUB  WHERE SAL_DATE = '{ad}' AND   SAL_NO   = '{no}'",
    .markHeader =
        "UPDATE LOC_MAIN SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   SAL_NO   = '{no}'",
    .markLines =
        "UPDATE LOC_MAST SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   SAL_NO   = '{no}'",
    .markedLine = nullptr,
    .guardedBy = kSaleHeaders,
    .unmark = {"UPDATE LOC_MAIN SET TRN_CODE = NULL WHERE SAL_DATE = '{date}' AND SAL_NO = '{no}'",
               "UPDATE LOC_MAST SET TRN_CODE = NULL WHERE SAL_DATE = '{date}' AND SAL_NO = '{no}'"},
};

// A void also withdraws the sale and its points from the head office.
const SaleKind kVoidedSalesKind = {
    .name = "voids",
    .shape = {kVoidedSales, "SELECT * FROM LOC_MASD  WHERE   SAL_DATE = '",
              "select *  From Loc_Pdc  "},
    .headerLine = " 銷售作廢上傳中..!",
    .probeHeader = "SELECT FIRST 1 * FROM POS_MASTERD WHERE SAL_DATE = '0000/00/00' ",
    .probeLines = "SELECT FIRST 1 * FROM POS_SUBD WHERE SAL_DATE = '0000/00/00' ",
    .pick = "select FIRST 1 * FROM LOC_MAID WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .linesProgress = nullptr,
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
    .headerTable = "POS_MASTERD",
    .lineTable = "POS_SUBD",
    .copyFile = "SQL123D.TXT",
    .verifyHeader =
        "SELECT sal_date FROM POS_MASTERD  WHERE SAL_DATE = '{ad}' AND   SAL_NO   = '{no}'",
    .verifyLines = "SELECT sal_date FROM POS_SUBD  WHERE SAL_DATE = '{ad}' AND   SAL_NO   = '{no}'",
    .markHeader =
        "UPDATE LOC_MAID SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   SAL_NO   = '{no}'",
    .markLines =
        "UPDATE LOC_MASD SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   SAL_NO   = '{no}'",
    .markedLine = "{date} {no}..ok",
    .guardedBy = kSaleHeaders | kVoidedSaleHeaders,
    .unmark = {"UPDATE LOC_MAID SET TRN_CODE = NULL WHERE SAL_DATE = '{date}' AND SAL_NO = '{no}'",
               "UPDATE LOC_MASD SET TRN_CODE = NULL WHERE SAL_DATE = '{date}' AND SAL_NO = '{no}'"},
};

const SaleKind kExchangesKind = {
    .name = "exchanges",
    .shape = {kExchanges, "SELECT * FROM LOC_MAST_CHG  WHERE   SAL_DATE = '",
              "select *  From Loc_Pdc "},
    .headerLine = " 兌換資料上傳中..!",
    .probeHeader = "SELECT FIRST 1 * FROM POSCHANGE_MASTER WHERE SAL_DATE = '0000/00/00' ",
    .probeLines = "SELECT FIRST 1 * FROM POSCHANGE_SUB WHERE SAL_DATE = '0000/00/00' ",
    .pick = "select FIRST 1 * FROM LOC_MAIN_CHG WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .linesProgress = "...LOC_MAST_CHG",
    .deleteLines = {"DELETE FROM POSCHANGE_MASTER   WHERE SAL_DATE = '{ad}'",
                    "                                 AND SAL_NO   = '{no}';",
                    "DELETE FROM POSCHANGE_SUB      WHERE SAL_DATE = '{ad}'",
                    "                                 AND SAL_NO   = '{no}';"},
    .headerTable = "POSCHANGE_MASTER",
    .lineTable = "POSCHANGE_SUB",
    .copyFile = "SQL123.TXT",
    .verifyHeader =
        "SELECT sal_date FROM POSCHANGE_MASTER  WHERE SAL_DATE = '{ad}' AND   SAL_NO   "
        "= '{no}'",
    .verifyLines =
        "SELECT sal_date FROM POSCHANGE_SUB  WHERE SAL_DATE = '{ad}' AND   SAL_NO   = '{no}'",
    .markHeader =
        "UPDATE LOC_MAIN_CHG SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   SAL_NO  "
        " = '{no}'",
    .markLines =
        "UPDATE LOC_MAST_CHG SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   SAL_NO  "
        " = '{no}'",
    .markedLine = nullptr,
    .guardedBy = kExchangeHeaders,
    .unmark =
        {"UPDATE LOC_MAIN_CHG SET TRN_CODE = NULL WHERE SAL_DATE = '{date}' AND SAL_NO = '{no}'",
         "UPDATE LOC_MAST_CHG SET TRN_CODE = NULL WHERE SAL_DATE = '{date}' AND SAL_NO = '{no}'"},
};

const RecordKind kPointRecords = {
    .name = "points",
    .headerLine = " 點數記錄資料上傳中..!",
    .passLine = nullptr,
    .probe = "SELECT FIRST 1 * FROM POINT_MASTER WHERE SAL_DATE = '0000/00/00' ",
    .pick = "select FIRST 1 * FROM POINT_MASTER WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .rowsOfKey = "SELECT * FROM POINT_MASTER WHERE SAL_DATE = '{date}' AND SAL_NO = '{no}'",
    .progressSuffix = "...POINT_MASTER",
    .columns = {{"SAL_DATE", "SAL_DATE", R::Date},
                {"SAL_NO", "SAL_NO", R::Text},
                {"MEMBER_ID", "MEMBER_ID", R::Text},
                {"DISROL", "DISROL", R::Number},
                {"I_POINT", "I_POINT", R::Number},
                {"U_POINT", "U_POINT", R::Number},
                {"POINT_COUNT", "POINT_COUNT", R::Number},
                {"IC_CARD", "IC_CARD", R::Text},
                {"IC_AMT", "IC_AMT", R::Number},
                {"PDCSHET", "PDCSHET", R::Number},
                {"REL_SAL", "REL_SAL", R::Number}},
    .deleteLines = {"DELETE FROM POINT_MASTER WHERE SAL_DATE = '{ad}'",
                    "                           AND SAL_NO   = '{no}';"},
    .table = "POINT_MASTER",
    .copyFile = "SQL123POINT.TXT",
    .verification =
        "SELECT sal_date FROM POINT_MASTER  WHERE SAL_DATE = '{ad}' AND   SAL_NO   = '{no}'",
    .mark =
        "UPDATE POINT_MASTER SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   SAL_NO   = '{no}'",
    .cardColumn = nullptr,
    .convertsDate = true,
    .guardedBy = kSaleHeaders,
};

const RecordKind kStoredValueRecords = {
    .name = "storedValue",
    .headerLine = " 儲值記錄資料上傳中..!",
    .passLine = nullptr,
    .probe = "SELECT FIRST 1 * FROM DECCASH_SUB WHERE SAL_DATE = '0000/00/00' ",
    .pick = "select FIRST 1 * FROM DECCASH_SUB WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .rowsOfKey =
        "SELECT * FROM DECCASH_SUB WHERE SAL_DATE = '{date}' AND SAL_NO = '{no}' AND ICCARD_ID = "
        "'{card}'",
    .progressSuffix = "...DECCASH_SUB",
    .columns = {{"SAL_DATE", "SAL_DATE", R::Text},
                {"SAL_NO", "SAL_NO", R::Text},
                {"ICCARD_ID", "ICCARD_ID", R::Text},
                {"IC_AMT", "IC_AMT", R::Number},
                {"DEC_CASH", "DEC_CASH", R::Number},
                {"MEMBER_ID", "MEMBER_ID", R::Text},
                {"MEMBER_NAME", "MEMBER_NAME", R::Text},
                {"CHG_DATE", "CHG_DATE", R::Text},
                {"CHG_TIME", "CHG_TIME", R::Text},
                {"CHG_USER", "CHG_USER", R::Text},
                {"IC_CARD", "IC_CARD", R::Text},
                {"REL_SAL", "REL_SAL", R::Number},
                {"PDCSHET", "PDCSHET", R::Number}},
    .deleteLines = {"DELETE FROM DECCASH_SUB WHERE SAL_DATE  = '{date}'",
                    "                           AND SAL_NO    = '{no}'",
                    "                           AND ICCARD_ID = '{card}';"},
    .table = "DECCASH_SUB",
    .copyFile = "SQL123DECCASH.TXT",
    .verification =
        "SELECT sal_date FROM DECCASH_SUB  WHERE SAL_DATE  = '{date}' AND   SAL_NO    = "
        "'{no}' AND   ICCARD_ID = '{card}'",
    .mark =
        "UPDATE DECCASH_SUB SET TRN_CODE = 'Y'  WHERE SAL_DATE  = '{date}' AND   SAL_NO    = "
        "'{no}' AND   ICCARD_ID = '{card}'",
    .cardColumn = "ICCARD_ID",
    .convertsDate = false,
    .guardedBy = kSaleHeaders,
};

const RecordKind kCreditCardRecords = {
    .name = "cardSlips",
    .headerLine = " 信用卡檔上傳中..!",
    .passLine = " 信用卡檔上傳中..!1",
    .probe = "SELECT FIRST 1 * FROM CREDIT_CARD WHERE SAL_DATE = '0000/00/00' ",
    .pick = "select FIRST 1 * FROM CREDIT_CARD WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .rowsOfKey = "SELECT * FROM CREDIT_CARD WHERE SAL_DATE = '{date}' AND SAL_NO = '{no}'",
    .progressSuffix = "...CREDIT_CARD信用卡",
    .columns = {{"SAL_DATE", "SAL_DATE", R::Date},
                {"SAL_NO", "SAL_NO", R::TextAssign},
                {"CARD_BANK", "CARD_BANK", R::TextAssign},
                {"MCH_NO", "MCH_NO", R::TextAssign},
                {"INV_NO", "INV_NO", R::TextAssign},
                {"MAN_CODE", "MAN_CODE", R::TextAssign},
                {"CLASS_NO", "CLASS_NO", R::TextAssign},
                {"TRANS_TYPE", "TRANS_TYPE", R::TextAssign},
                {"HOST_ID", "HOST_ID", R::TextAssign},
                {"RECEIPT_NO", "RECEIPT_NO", R::TextAssign},
                {"CARD_NO", "CARD_NO", R::TextAssign},
                {"CARD_EXPIRE_DATE", "CARD_EXPIRE_DATE", R::TextAssign},
                {"TRANS_AMOUNT", "TRANS_AMOUNT", R::TextAssign},
                {"TRANS_DATE", "TRANS_DATE", R::TextAssign},
                {"TRANS_TIME", "TRANS_TIME", R::TextAssign},
                {"APPROVAL_NO", "APPROVAL_NO", R::TextAssign},
                {"REBATE_POINT", "REBATE_POINT", R::TextAssign},
                {"ECR_RESPONSE_CODE", "ECR_RESPONSE_CODE", R::TextAssign},
                {"ECR_TERMINAL_ID", "ECR_TERMINAL_ID", R::TextAssign},
                {"REAL_AMOUNT", "REAL_AMOUNT", R::TextAssign},
                {"REBATE_AMOUNT", "REBATE_AMOUNT", R::TextAssign},
                {"ORDER_NO", "ORDER_NO", R::TextAssign},
                {"RESERVE1", "RESERVE1", R::TextAssign},
                {"RESERVE2", "RESERVE2", R::TextAssign}},
    // One blank fewer before AND than for the point records.
    .deleteLines = {"DELETE FROM CREDIT_CARD WHERE SAL_DATE = '{ad}'",
                    "                          AND SAL_NO   = '{no}';"},
    .table = "CREDIT_CARD",
    .copyFile = "SQL123CREDIT_CARD.TXT",
    .verification =
        "SELECT sal_date FROM CREDIT_CARD  WHERE SAL_DATE = '{ad}' AND   SAL_NO   = '{no}'",
    .mark =
        "UPDATE CREDIT_CARD SET TRN_CODE = 'Y'  WHERE SAL_DATE = '{date}' AND   SAL_NO   = '{no}'",
    .cardColumn = nullptr,
    .convertsDate = true,
    .guardedBy = kSaleHeaders,
};

const DateBatchedKind kDeletionLog = {
    .name = "deletions",
    .headerLine = " 刪檔記錄上傳中..!",
    .probe = "SELECT FIRST 1 * FROM POS_DELE WHERE SAL_DATE = '0000/00/00' ",
    .pendingMark = "UPDATE LOC_DELE SET TRN_CODE = '*' WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .pendingMarkOneDay = "UPDATE LOC_DELE SET TRN_CODE = '*' WHERE SAL_DATE = '{oneday}'",
    .dateGroups = "select SAL_DATE,COUNT(*) FROM LOC_DELE where TRN_CODE = '*' GROUP BY SAL_DATE ",
    .rowsOfDate = "SELECT * FROM LOC_DELE WHERE TRN_CODE = '*' and SAL_DATE = '{group}'",
    .columns = {{"SAL_DATE", "SAL_DATE", R::Date},
                {"SAL_NO", "SAL_NO", R::Text},
                {"ORD_NO", "ORD_NO", R::Text},
                {"PDC_NO", "PDC_NO", R::Text},
                {"MAN_CODE", "MAN_CODE", R::Text},
                {"CLASS_NO", "CLASS_NO", R::Text},
                {"SAL_QTY", "SAL_QTY", R::Number},
                {"U_PRICE", "U_PRICE", R::Number},
                {"PER", "PER", R::Text},
                {"PER_AMT", "PER_AMT", R::Number},
                {"SAL_CODE", "SAL_CODE", R::Text},
                {"V_CODE", "V_CODE", R::Text},
                {"AMT", "AMT", R::Number},
                {"TASTE", "TASTE", R::Text},
                {"TEMP_NO", "TEMP_NO", R::Text}},
    .deleteLines = {"DELETE FROM POS_DELE WHERE SAL_DATE = '{$SAL_DATE}'",
                    " AND SAL_NO = '{$SAL_NO}'", " AND ORD_NO = '{$ORD_NO}';"},
    .table = "POS_DELE",
    .mark = "UPDATE LOC_DELE SET TRN_CODE = 'Y' WHERE TRN_CODE ='*' and SAL_DATE = '{group}'",
    .guardedBy = kSaleHeaders,
};

const DateBatchedKind kKeyLog = {
    .name = "keys",
    .headerLine = " 按鍵記錄上傳中..!",
    .probe = "SELECT FIRST 1 * FROM POS_KEY WHERE SAL_DATE = '0000/00/00' ",
    .pendingMark = "UPDATE LOC_KEY SET TRN_CODE = '*' WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .pendingMarkOneDay = "UPDATE LOC_KEY SET TRN_CODE = '*' WHERE SAL_DATE = '{oneday}'",
    .dateGroups = "select SAL_DATE,COUNT(*) FROM LOC_KEY where TRN_CODE = '*' GROUP BY SAL_DATE ",
    .rowsOfDate = "SELECT * FROM LOC_KEY WHERE TRN_CODE = '*' AND SAL_DATE='{group}'",
    .columns = {{"SAL_DATE", "SAL_DATE", R::Date},
                {"SAL_NO", "SAL_NO", R::Text},
                {"MCH_NO", "MCH_NO", R::Text},
                {"SAL_TIME", "SAL_TIME", R::Text},
                {"MAN_CODE", "MAN_CODE", R::Text},
                {"CLASS_NO", "CLASS_NO", R::Text},
                {"KEY_TYPE", "KEY_TYPE", R::Text},
                {"KEY_NAME", "KEY_NAME", R::Text}},
    .deleteLines = {"DELETE FROM POS_KEY WHERE SAL_DATE = '{$SAL_DATE}'",
                    " AND SAL_NO = '{$SAL_NO}'", " AND MCH_NO = '{$MCH_NO}'",
                    " AND SAL_TIME = '{$SAL_TIME}';"},
    .table = "POS_KEY",
    .mark = "UPDATE LOC_KEY SET TRN_CODE = 'Y' WHERE TRN_CODE ='*' and SAL_DATE = '{group}'",
    .guardedBy = 0,  // deletes by machine too
};

const DateBatchedKind kClockInRecords = {
    .name = "clockIns",
    .headerLine = " 打卡資料上傳中..!",
    .probe = "SELECT FIRST 1 * FROM POS_DAY WHERE INI_DATE = '0000/00/00' ",
    .pendingMark = "UPDATE LOC_DAY SET TRN_CODE = '*' WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .pendingMarkOneDay = "UPDATE LOC_DAY SET TRN_CODE = '*' WHERE INI_DATE = '{oneday}'",
    .dateGroups = "select INI_DATE,COUNT(*) FROM LOC_DAY where TRN_CODE = '*' GROUP BY INI_DATE ",
    .rowsOfDate = "SELECT * FROM LOC_DAY WHERE TRN_CODE = '*' AND INI_DATE='{group}'",
    .columns = {{"INI_DATE", "INI_DATE", R::Date},
                {"LAB_NO", "EMPLOYEE_ID", R::Text},
                {"TIME_IN", "TIME_IN", R::Text},
                {"TIME_OUT", "TIME_OUT", R::Value},
                {"CARD_ID", "CARD_ID", R::Text},
                {"CLASS_NO", "CLASS_NO", R::Text},
                {nullptr, "EMPLOYEE_NAME", R::Constant, ""},
                {nullptr, "BILL_WEEK", R::Constant, ""}},
    .deleteLines = {"DELETE FROM POS_DAY ", "WHERE INI_DATE   = '{$INI_DATE}'",
                    " AND EMPLOYEE_ID = '{$EMPLOYEE_ID}'", " AND TIME_IN     = '{$TIME_IN}';"},
    .table = "POS_DAY",
    .mark = "UPDATE LOC_DAY SET TRN_CODE = 'Y' WHERE TRN_CODE ='*' and INI_DATE = '{group}'",
    .guardedBy = 0,  // keyed by employee and time, not by sale
};

}  // namespace tavrix

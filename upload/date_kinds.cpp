// Texts with Chinese are UTF-8 here and become Big5 when written.
#include "upload/date_kinds.h"

namespace tavrix {

namespace {

using F = From;
using R = Rule;

}  // namespace

const DateTravel kDeletionLogTravel = {
    .headerLine = " 刪檔記錄上傳中..!",
    .probe = "SELECT FIRST 1 * FROM POS_DELE WHERE SAL_DATE = '0000/00/00' ",
    .pendingMark = "UPDATE LOC_DELE SET TRN_CODE = '*' WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .pendingMarkOneDay = "UPDATE LOC_DELE SET TRN_CODE = '*' WHERE SAL_DATE = '{oneday}'",
    .dateGroups = "select SAL_DATE,COUNT(*) FROM LOC_DELE where TRN_CODE = '*' GROUP BY SAL_DATE ",
    .rowsOfDate = "SELECT * FROM LOC_DELE WHERE TRN_CODE = '*' and SAL_DATE = '{group}'",
    .columns = {{"SAL_DATE", F::Row, "SAL_DATE", R::Date},
                {"SAL_NO", F::Row, "SAL_NO", R::Text},
                {"ORD_NO", F::Row, "ORD_NO", R::Text},
                {"PDC_NO", F::Row, "PDC_NO", R::Text},
                {"MAN_CODE", F::Row, "MAN_CODE", R::Text},
                {"CLASS_NO", F::Row, "CLASS_NO", R::Text},
                {"SAL_QTY", F::Row, "SAL_QTY", R::Number},
                {"U_PRICE", F::Row, "U_PRICE", R::Number},
                {"PER", F::Row, "PER", R::Text},
                {"PER_AMT", F::Row, "PER_AMT", R::Number},
                {"SAL_CODE", F::Row, "SAL_CODE", R::Text},
                {"V_CODE", F::Row, "V_CODE", R::Text},
                {"AMT", F::Row, "AMT", R::Number},
                {"TASTE", F::Row, "TASTE", R::Text},
                {"TEMP_NO", F::Row, "TEMP_NO", R::Text}},
    .deleteLines = {"DELETE FROM POS_DELE WHERE SAL_DATE = '{$SAL_DATE}'",
                    " AND SAL_NO = '{$SAL_NO}'", " AND ORD_NO = '{$ORD_NO}';"},
    .table = "POS_DELE",
    .mark = "UPDATE LOC_DELE SET TRN_CODE = 'Y' WHERE TRN_CODE ='*' and SAL_DATE = '{group}'",
};

const DateTravel kKeyLogTravel = {
    .headerLine = " 按鍵記錄上傳中..!",
    .probe = "SELECT FIRST 1 * FROM POS_KEY WHERE SAL_DATE = '0000/00/00' ",
    .pendingMark = "UPDATE LOC_KEY SET TRN_CODE = '*' WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .pendingMarkOneDay = "UPDATE LOC_KEY SET TRN_CODE = '*' WHERE SAL_DATE = '{oneday}'",
    .dateGroups = "select SAL_DATE,COUNT(*) FROM LOC_KEY where TRN_CODE = '*' GROUP BY SAL_DATE ",
    .rowsOfDate = "SELECT * FROM LOC_KEY WHERE TRN_CODE = '*' AND SAL_DATE='{group}'",
    .columns = {{"SAL_DATE", F::Row, "SAL_DATE", R::Date},
                {"SAL_NO", F::Row, "SAL_NO", R::Text},
                {"MCH_NO", F::Row, "MCH_NO", R::Text},
                {"SAL_TIME", F::Row, "SAL_TIME", R::Text},
                {"MAN_CODE", F::Row, "MAN_CODE", R::Text},
                {"CLASS_NO", F::Row, "CLASS_NO", R::Text},
                {"KEY_TYPE", F::Row, "KEY_TYPE", R::Text},
                {"KEY_NAME", F::Row, "KEY_NAME", R::Text}},
    .deleteLines = {"DELETE FROM POS_KEY WHERE SAL_DATE = '{$SAL_DATE}'",
                    " AND SAL_NO = '{$SAL_NO}'", " AND MCH_NO = '{$MCH_NO}'",
                    " AND SAL_TIME = '{$SAL_TIME}';"},
    .table = "POS_KEY",
    .mark = "UPDATE LOC_KEY SET TRN_CODE = 'Y' WHERE TRN_CODE ='*' and SAL_DATE = '{group}'",
};

const DateTravel kClockInTravel = {
    .headerLine = " 打卡資料上傳中..!",
    .probe = "SELECT FIRST 1 * FROM POS_DAY WHERE INI_DATE = '0000/00/00' ",
    .pendingMark = "UPDATE LOC_DAY SET TRN_CODE = '*' WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ",
    .pendingMarkOneDay = "UPDATE LOC_DAY SET TRN_CODE = '*' WHERE INI_DATE = '{oneday}'",
    .dateGroups = "select INI_DATE,COUNT(*) FROM LOC_DAY where TRN_CODE = '*' GROUP BY INI_DATE ",
    .rowsOfDate = "SELECT * FROM LOC_DAY WHERE TRN_CODE = '*' AND INI_DATE='{group}'",
    .columns = {{"INI_DATE", F::Row, "INI_DATE", R::Date},
                {"EMPLOYEE_ID", F::Row, "LAB_NO", R::Text},
                {"TIME_IN", F::Row, "TIME_IN", R::Text},
                {"TIME_OUT", F::Row, "TIME_OUT", R::Value},
                {"CARD_ID", F::Row, "CARD_ID", R::Text},
                {"CLASS_NO", F::Row, "CLASS_NO", R::Text},
                {"EMPLOYEE_NAME", F::Run, nullptr, R::Empty},
                {"BILL_WEEK", F::Run, nullptr, R::Empty}},
    .deleteLines = {"DELETE FROM POS_DAY ", "WHERE INI_DATE   = '{$INI_DATE}'",
                    " AND EMPLOYEE_ID = '{$EMPLOYEE_ID}'", " AND TIME_IN     = '{$TIME_IN}';"},
    .table = "POS_DAY",
    .mark = "UPDATE LOC_DAY SET TRN_CODE = 'Y' WHERE TRN_CODE ='*' and INI_DATE = '{group}'",
};

}  // namespace tavrix

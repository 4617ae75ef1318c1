#include "upload/kind_tables.h"

namespace tavrix {

const std::vector<KindTable>& kindTables() {
  static const std::vector<KindTable> tables = {
      {"sales", "收銀銷售 sales", "LOC_MAIN", "POS_MASTER", "SAL_DATE"},
      {"sales", "收銀銷售 sales", "LOC_MAST", "POS_SUB", "SAL_DATE"},
      {"points", "點數記錄 points", "POINT_MASTER", "POINT_MASTER", "SAL_DATE"},
      {"storedValue", "點數記錄 points", "DECCASH_SUB", "DECCASH_SUB", "SAL_DATE"},
      {"voids", "收銀作廢 voids", "LOC_MAID", "POS_MASTERD", "SAL_DATE"},
      {"voids", "收銀作廢 voids", "LOC_MASD", "POS_SUBD", "SAL_DATE"},
      {"cardSlips", "信用卡檔 card slips", "CREDIT_CARD", "CREDIT_CARD", "SAL_DATE"},
      {"deletions", "刪除記錄 deletions", "LOC_DELE", "POS_DELE", "SAL_DATE"},
      {"keys", "按鍵記錄 keys", "LOC_KEY", "POS_KEY", "SAL_DATE"},
      {"exchanges", "兌換資料 exchanges", "LOC_MAIN_CHG", "POSCHANGE_MASTER", "SAL_DATE"},
      {"exchanges", "兌換資料 exchanges", "LOC_MAST_CHG", "POSCHANGE_SUB", "SAL_DATE"},
      {"clockIns", "打卡資料 clock-ins", "LOC_DAY", "POS_DAY", "INI_DATE"},
  };
  return tables;
}

}  // namespace tavrix

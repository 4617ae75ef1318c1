// Sales, voided sales and exchange records, end to end.
#include <gtest/gtest.h>

#include "platform/text/big5.h"
#include "tests/support/upload_rig.h"

namespace tavrix {
namespace {

using Lines = std::vector<std::string>;
using testing::UploadRig;

const std::string kCookie = text::B5("許功蓋餅乾");

// Two products and their types; P1 is also known by its bar code.
const std::string kProducts =
    "INSERT INTO LOC_TYPE VALUES ('T1','snacks','MID1','TOP1');"
    "INSERT INTO LOC_PDC VALUES ('P1','T1',100,'4710001','P1B','" +
    kCookie +
    "','200g','BAG','50','25','M','1','0','PUT1');"
    "INSERT INTO LOC_PDC VALUES ('P2','T9',80,'4710002','P2B','tea','1l','BTL','5','','M',"
    "'2','1','PUT2');";

// A sale of 107/03/14 with three lines: found by bar code, by product code,
// and nowhere.
const std::string kSale =
    "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, MCH_NO, CST_NO, CLASS_NO, SAL_AMT, VISA_NO, "
    "OPEN_DATE) VALUES ('107/03/14','0001','01','C1','A',260,'12345678901234567890',"
    "'107/03/01');"
    "INSERT INTO LOC_MAST (SAL_DATE, SAL_NO, ORD_NO, PDC_NO, SAL_QTY, U_PRICE, TAX_KIND, "
    "PAK_QTY, SAL_CODE) VALUES ('107/03/14','0001','1','4710001','2',80,'','','S');"
    "INSERT INTO LOC_MAST (SAL_DATE, SAL_NO, ORD_NO, PDC_NO, SAL_QTY, U_PRICE, TAX_KIND, "
    "PAK_QTY, SAL_CODE) VALUES ('107/03/14','0001','2','P2','-1',80,'9','2','S');"
    "INSERT INTO LOC_MAST (SAL_DATE, SAL_NO, ORD_NO, PDC_NO, SAL_QTY, U_PRICE, TAX_KIND, "
    "PAK_QTY, SAL_CODE) VALUES ('107/03/14','0001','3','NOPE','x',10,'3',NULL,'S');";

Lines salesLog(const UploadRig& rig) {
  Lines log = rig.progressFrom(" 銷售資料上傳中");
  return Lines(log.begin(), std::find(log.begin(), log.end(), "   >>All OK..") + 1);
}

TEST(Sales, ASaleGoesWithItsEnrichedLinesAndIsMarked) {
  UploadRig rig;
  rig.local(kProducts + kSale);
  rig.engine.run();
  EXPECT_EQ(salesLog(rig), (Lines{" 銷售資料上傳中..!", "   >>107/03/14_0001...",
                                  "   >>107/03/14_0001...LOC_MAST", "   >>107/03/14_0001..Remote",
                                  "   >>107/03/14_0001..Batch", "   >>107/03/14_0001...>>>>>OK",
                                  "   >>107/03/14_0001..Batch..OK", "   >>All OK.."}));
  EXPECT_EQ(rig.headOfficeRows("SELECT SAL_DATE, MEMBER_ID, CST_NO, CREDIT_ID, VISA_NO, STORE_ID, "
                               "STOCK_ID, FLAG, CHG_DATE, OPEN_DATE, SAL_AMT, CARD_ID FROM "
                               "POS_MASTER"),
            Lines{"2018/03/14|C1|C1|1234567890123456|12345678901234567890|S01|W01|" +
                  text::B5("銷") + "|2018/03/15|2018/03/01|260|"});
  EXPECT_EQ(rig.headOfficeRows("SELECT ORD_NO, PROD_ID, BAR_CODE, PROD_NAME, UNITNAME, SAL_QTY, "
                               "STD_COST, AVG_COST, TAX_KIND, PAK_QTY, PSALE_PRICE, PD_ITEMID, "
                               "MID_ITEMID, TOP_ITEMID, FREE_TAX, STOCK_ID, STORE_ID, FLAG, "
                               "SAL_DATE, CHG_DATE FROM POS_SUB ORDER BY ORD_NO"),
            (Lines{"1|P1|4710001|" + kCookie +
                       "|BAG|2|60|60|1|1|100|T1|MID1|TOP1|0|W01||S|2018/03/14|2018/03/15",
                   "2|P2|4710002|tea|BTL|-1|0|0|9|2|80|T9|||1|W01||S|2018/03/14|2018/03/15",
                   "3|||||0|0|0|3|1|0||||0|W01||S|2018/03/14|2018/03/15"}));
  EXPECT_EQ(rig.localRows("SELECT DISTINCT TRN_CODE FROM LOC_MAIN"), Lines{"Y"});
  EXPECT_EQ(rig.localRows("SELECT DISTINCT TRN_CODE FROM LOC_MAST"), Lines{"Y"});
}

TEST(Sales, OneSalePerRunAndASaleWithoutLines) {
  UploadRig rig;
  rig.local(
      "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO) VALUES ('107/03/14','0001');"
      "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO) VALUES ('107/03/14','0002');");
  rig.engine.run();
  EXPECT_EQ(rig.host.progress.back(), "Record:1");
  EXPECT_EQ(rig.host.timerArms, 1);
  rig.engine.run();
  EXPECT_EQ(rig.host.progress.back(), "Record:0");
  EXPECT_EQ(rig.host.timerArms, 1);
  EXPECT_EQ(rig.headOfficeRows("SELECT COUNT(*) FROM POS_MASTER"), Lines{"2"});
  EXPECT_EQ(rig.headOfficeRows("SELECT COUNT(*) FROM POS_SUB"), Lines{"0"});
}

TEST(Sales, AFailedPostOrVerificationSaysNGAndTheResendReplacesTheCopy) {
  {
    UploadRig rig({"--no-success", "1"});
    rig.local(kProducts + kSale);
    rig.engine.run();
    EXPECT_EQ(salesLog(rig), (Lines{" 銷售資料上傳中..!", "   >>107/03/14_0001...",
                                    "   >>107/03/14_0001...LOC_MAST", "   >>107/03/14_0001..Remote",
                                    "   >>107/03/14_0001..Batch", "   >>107/03/14_0001..Batch..NG",
                                    "   >>All OK.."}));
    EXPECT_EQ(rig.localRows("SELECT TRN_CODE FROM LOC_MAIN"), Lines{"<null>"});
  }
  UploadRig rig({"--fake-success", "1"});
  rig.local(kProducts + kSale);
  // An earlier copy with one line: the service claims success, nothing changes.
  rig.headOffice(
      "INSERT INTO POS_MASTER (SAL_DATE, SAL_NO, SAL_AMT) VALUES ('2018/03/14','0001',1);"
      "INSERT INTO POS_SUB (SAL_DATE, SAL_NO, ORD_NO) VALUES ('2018/03/14','0001','9');");
  rig.engine.run();
  Lines log = salesLog(rig);
  EXPECT_EQ(
      Lines(log.begin() + 5, log.end()),
      (Lines{"   >>107/03/14_0001...>>>>>NG", "   >>107/03/14_0001..Batch..OK", "   >>All OK.."}));
  EXPECT_EQ(rig.localRows("SELECT TRN_CODE FROM LOC_MAIN"), Lines{"<null>"});
  rig.engine.run();
  EXPECT_EQ(rig.localRows("SELECT TRN_CODE FROM LOC_MAIN"), Lines{"Y"});
  EXPECT_EQ(rig.headOfficeRows("SELECT SAL_AMT FROM POS_MASTER"), Lines{"260"});
  EXPECT_EQ(rig.headOfficeRows("SELECT ORD_NO FROM POS_SUB ORDER BY ORD_NO"),
            (Lines{"1", "2", "3"}));
}

TEST(VoidedSales, AVoidWithdrawsTheSaleAndEveryVoidIsSentInOneRun) {
  UploadRig rig;
  rig.headOffice(
      "INSERT INTO POS_MASTER (SAL_DATE, SAL_NO) VALUES ('2018/03/14','0001');"
      "INSERT INTO POS_SUB (SAL_DATE, SAL_NO) VALUES ('2018/03/14','0001');"
      "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO) VALUES ('2018/03/14','0001');"
      "INSERT INTO DECCASH_SUB (SAL_DATE, SAL_NO, ICCARD_ID) VALUES ('107/03/14','0001','C');");
  for (const char* no : {"0001", "0002", "0003"})
    rig.local("INSERT INTO LOC_MAID (SAL_DATE, SAL_NO, INV3_SW) VALUES ('107/03/14','" +
              std::string(no) + "','1');");
  rig.local(
      "INSERT INTO LOC_MASD (SAL_DATE, SAL_NO, ORD_NO, PDC_NO) VALUES ('107/03/14','0001','1','X');"
      "INSERT INTO LOC_MASD (SAL_DATE, SAL_NO, ORD_NO, PDC_NO) VALUES "
      "('107/03/14','0001','2','Y');");
  rig.engine.run();
  Lines log = rig.progressFrom(" 銷售作廢上傳中");
  EXPECT_EQ(Lines(log.begin(), log.begin() + 7),
            (Lines{" 銷售作廢上傳中..!", "   >>107/03/14_0001...", "107/03/14 0001..ok",
                   "   >>107/03/14_0002...", "107/03/14 0002..ok", "   >>107/03/14_0003...",
                   "107/03/14 0003..ok"}));
  for (const char* table : {"POS_MASTER", "POS_SUB", "POINT_MASTER"})
    EXPECT_EQ(rig.headOfficeRows(std::string("SELECT COUNT(*) FROM ") + table), Lines{"0"});
  EXPECT_EQ(rig.headOfficeRows("SELECT SAL_DATE FROM DECCASH_SUB"), Lines{"107/03/14"});
  EXPECT_EQ(rig.headOfficeRows("SELECT SAL_NO, INV3_SW, STORE_ID FROM POS_MASTERD ORDER BY 1"),
            (Lines{"0001|1|", "0002|1|", "0003|1|"}));
  EXPECT_EQ(rig.headOfficeRows("SELECT COUNT(*) FROM POS_SUBD"), Lines{"2"});
  EXPECT_EQ(rig.localRows("SELECT DISTINCT TRN_CODE FROM LOC_MASD"), Lines{"Y"});
  std::string copy = rig.folder.read("SQL123D.TXT");
  EXPECT_EQ(copy.substr(0, 49), "DELETE FROM POS_MASTER   WHERE SAL_DATE = '2018/0");
  EXPECT_NE(copy.find("AND SAL_NO   = '0003';"), std::string::npos);
}

TEST(Exchanges, GoWithoutInvoiceAndSubsidyColumns) {
  UploadRig rig;
  rig.local(
      "INSERT INTO LOC_MAIN_CHG (SAL_DATE, SAL_NO, SAL_AMT) VALUES ('107/03/14','0007','');"
      "INSERT INTO LOC_MAST_CHG (SAL_DATE, SAL_NO, ORD_NO, SAL_QTY) VALUES "
      "('107/03/14','0007','1','1');");
  rig.engine.run();
  Lines log = rig.progressFrom(" 兌換資料上傳中");
  EXPECT_EQ(Lines(log.begin(), log.begin() + 4),
            (Lines{" 兌換資料上傳中..!", "   >>107/03/14_0007...",
                   "   >>107/03/14_0007...LOC_MAST_CHG", " 打卡資料上傳中..!"}));
  EXPECT_EQ(rig.headOfficeRows("SELECT SAL_AMT, INV3_SW, RANDOMNUMBER, SUBSIDY_AMT, OPEN_DATE, "
                               "STORE_ID, STOCK_ID FROM POSCHANGE_MASTER"),
            Lines{"0|<null>|<null>|0|<null>||W01"});
  EXPECT_EQ(rig.headOfficeRows("SELECT SAL_QTY, SUBSIDY, SUBSIDY_AMT FROM POSCHANGE_SUB"),
            Lines{"1|0|0"});
  EXPECT_EQ(rig.localRows("SELECT TRN_CODE FROM LOC_MAST_CHG"), Lines{"Y"});
  EXPECT_TRUE(rig.folder.exists("SQL123.TXT"));
}

}  // namespace
}  // namespace tavrix

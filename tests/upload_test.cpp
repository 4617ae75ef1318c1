// Whole upload runs against a real till database and a real simulator.
#include <gtest/gtest.h>

#include "platform/text/big5.h"
#include "tests/support/upload_rig.h"

namespace tavrix {
namespace {

using Lines = std::vector<std::string>;
using testing::UploadRig;

const std::string kName = text::B5("許功蓋 Mary's");
const std::string kQuotedName = text::B5("許功蓋 Mary''s");  // as SQL text writes it

const std::string kOneOfEach =
    "INSERT INTO POINT_MASTER VALUES ('107/03/15','0001','M1',1.5,'x',NULL,7,'IC1',12.5,NULL,100,"
    "NULL);"
    "INSERT INTO DECCASH_SUB VALUES ('107/03/15','0001','CARD1',50,20,'M1','" +
    kQuotedName + "','107/03/15','12:00:00','U1','IC1','80','x',NULL);" +
    "INSERT INTO CREDIT_CARD VALUES ('107/03/15','0001','BANK','01','INV1','M01','A','01','H1',"
    "'R1','4111','2512','350','20180315','120000','AP1','5','00','T1','350','','O1','r1','r2',"
    "NULL);"
    "INSERT INTO LOC_DELE VALUES ('107/03/15','0001','1','P1','M01','A','-1','80','10%','8','1',"
    "'0','-80','less; sugar','T',NULL);"
    "INSERT INTO LOC_KEY VALUES ('107/03/15','0001','01','12:00:01','M01','A','F1','VOID',NULL);"
    "INSERT INTO LOC_DAY VALUES ('107/03/15','E01','08:00','17:00','C1','A',NULL);"
    "INSERT INTO LOC_DAY VALUES ('107/03/15','E02','09:00',NULL,'C2','A',NULL);";

TEST(UploadRun, EveryKindGoesOutWithTheExactLog) {
  UploadRig rig;
  rig.local(kOneOfEach);
  rig.engine.run();

  EXPECT_EQ(rig.progressFrom(""), (Lines{"20180315-123456",
                                         "位置: 127.0.0.1  資料庫: POSDATA.GDB ....!",
                                         "機號:[01]倉庫代號比對(連線)中..!",
                                         "倉庫代號:W01....(連線)ok",
                                         " 銷售資料上傳中..!",
                                         "   >>All OK..",
                                         " 點數記錄資料上傳中..!",
                                         "   >>107/03/15_0001...POINT_MASTER",
                                         " 儲值記錄資料上傳中..!",
                                         "   >>107/03/15_0001...DECCASH_SUB",
                                         " 銷售作廢上傳中..!",
                                         " 信用卡檔上傳中..!",
                                         " 信用卡檔上傳中..!1",
                                         "   >>107/03/15_0001...CREDIT_CARD信用卡",
                                         " 信用卡檔上傳中..!1",
                                         " 刪檔記錄上傳中..!",
                                         " 按鍵記錄上傳中..!",
                                         " 兌換資料上傳中..!",
                                         " 打卡資料上傳中..!",
                                         "20180315-123456...OK",
                                         "Record:0"}));
  EXPECT_EQ(rig.host.boxes, (Lines{text::B5("機號:01"), text::B5("倉庫代號W01")}));
  EXPECT_EQ(rig.host.caption, text::B5("機號:01______20180315-123456  Ver: 2018-03-15"));
  EXPECT_EQ(rig.host.ticks, (Lines{"0", "1", "2", "3", "4", "5", "6", "7", "8"}));
  EXPECT_TRUE(rig.host.failures.empty());
  EXPECT_EQ(rig.host.timerArms, 0);
  EXPECT_EQ(rig.engine.Busy, 0);

  for (const char* table :
       {"POINT_MASTER", "DECCASH_SUB", "CREDIT_CARD", "LOC_DELE", "LOC_KEY", "LOC_DAY"})
    EXPECT_EQ(rig.localRows(std::string("SELECT DISTINCT TRN_CODE FROM ") + table), Lines{"Y"})
        << table;

  // AD dates where converted, the ROC text for stored-value rows, numbers as
  // numbers (text that is no number as 0), unlisted columns empty.
  EXPECT_EQ(rig.headOfficeRows("SELECT * FROM POINT_MASTER"),
            Lines{"2018/03/15|0001|M1|1.5|0|0|7|IC1|12.5|0|100|<null>|<null>"});
  EXPECT_EQ(
      rig.headOfficeRows("SELECT * FROM DECCASH_SUB"),
      Lines{"107/03/15|0001|CARD1|50|20|M1|" + kName + "|107/03/15|12:00:00|U1|IC1|80|0|<null>"});
  EXPECT_EQ(rig.headOfficeRows("SELECT SAL_DATE, TRANS_AMOUNT, TRANS_DATE, REBATE_POINT, "
                               "REAL_AMOUNT, REBATE_AMOUNT, SLIP_IMAGE FROM CREDIT_CARD"),
            Lines{"2018/03/15|350|20180315|5|350|0|<null>"});
  EXPECT_EQ(rig.headOfficeRows("SELECT * FROM POS_DELE"),
            Lines{"2018/03/15|0001|1|P1|M01|A|-1|80|10%|8|1|0|-80|less- sugar|T|<null>"});
  EXPECT_EQ(rig.headOfficeRows("SELECT * FROM POS_KEY"),
            Lines{"2018/03/15|0001|01|12:00:01|M01|A|F1|VOID|<null>"});
  EXPECT_EQ(rig.headOfficeRows("SELECT * FROM POS_DAY ORDER BY EMPLOYEE_ID"),
            (Lines{"2018/03/15|E01||08:00|17:00|C1|A||<null>",
                   "2018/03/15|E02||09:00|<null>|C2|A||<null>"}));

  EXPECT_EQ(rig.folder.read("SQL123POINT.TXT"),
            "DELETE FROM POINT_MASTER WHERE SAL_DATE = '2018/03/15'\r\n"
            "                           AND SAL_NO   = '0001';\r\n"
            "INSERT INTO POINT_MASTER(SAL_DATE,SAL_NO,MEMBER_ID,DISROL,I_POINT,U_POINT,"
            "POINT_COUNT,IC_CARD,IC_AMT,PDCSHET,REL_SAL,STORE_ID,UPLOAD_TIME) "
            "values('2018/03/15','0001','M1',1.5,0,0,7,'IC1',12.5,0,100,NULL,NULL)\r\n;\r\n");
  EXPECT_EQ(rig.folder.read("SQL123DECCASH.TXT"),
            "DELETE FROM DECCASH_SUB WHERE SAL_DATE  = '107/03/15'\r\n"
            "                           AND SAL_NO    = '0001'\r\n"
            "                           AND ICCARD_ID = 'CARD1';\r\n"
            "INSERT INTO DECCASH_SUB(SAL_DATE,SAL_NO,ICCARD_ID,IC_AMT,DEC_CASH,MEMBER_ID,"
            "MEMBER_NAME,CHG_DATE,CHG_TIME,CHG_USER,IC_CARD,REL_SAL,PDCSHET,REMARK) "
            "values('107/03/15','0001','CARD1',50,20,'M1','" +
                kQuotedName + "','107/03/15','12:00:00','U1','IC1',80,0,NULL)\r\n;\r\n");
  EXPECT_TRUE(rig.folder.exists("SQL123CREDIT_CARD.TXT"));
}

TEST(UploadRun, RowsThatShareAKeyTravelTogether) {
  UploadRig rig;
  // Two point rows of one sale, the first sent alone before the second was
  // written; two movements of one card beside one of another.
  rig.local(
      "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO, MEMBER_ID, TRN_CODE) "
      "  VALUES ('107/03/15','0002','M1','Y');"
      "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO, MEMBER_ID) VALUES ('107/03/15','0002','M2');"
      "INSERT INTO DECCASH_SUB (SAL_DATE, SAL_NO, ICCARD_ID, DEC_CASH) "
      "  VALUES ('107/03/15','0003','C',10);"
      "INSERT INTO DECCASH_SUB (SAL_DATE, SAL_NO, ICCARD_ID, DEC_CASH) "
      "  VALUES ('107/03/15','0003','C',20);"
      "INSERT INTO DECCASH_SUB (SAL_DATE, SAL_NO, ICCARD_ID, DEC_CASH) "
      "  VALUES ('107/03/15','0003','D',30);");
  rig.headOffice(
      "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO, MEMBER_ID) VALUES ('2018/03/15','0002','M1');");
  rig.engine.run();

  Lines log = rig.progressFrom(" 點數記錄");
  EXPECT_EQ(Lines(log.begin(), log.begin() + 5),
            (Lines{" 點數記錄資料上傳中..!", "   >>107/03/15_0002...POINT_MASTER",
                   " 儲值記錄資料上傳中..!", "   >>107/03/15_0003...DECCASH_SUB",
                   "   >>107/03/15_0003...DECCASH_SUB"}));
  for (const char* table : {"POINT_MASTER", "DECCASH_SUB"})
    EXPECT_EQ(rig.localRows(std::string("SELECT DISTINCT TRN_CODE FROM ") + table), Lines{"Y"})
        << table;
  EXPECT_EQ(rig.headOfficeRows("SELECT MEMBER_ID FROM POINT_MASTER ORDER BY MEMBER_ID"),
            (Lines{"M1", "M2"}));
  EXPECT_EQ(rig.headOfficeRows("SELECT ICCARD_ID, DEC_CASH FROM DECCASH_SUB ORDER BY DEC_CASH"),
            (Lines{"C|10", "C|20", "D|30"}));
  // The DELETE lines once, then an INSERT per row in the table's order.
  std::string batch = rig.folder.read("SQL123POINT.TXT");
  EXPECT_EQ(batch.substr(0, batch.find("INSERT")),
            "DELETE FROM POINT_MASTER WHERE SAL_DATE = '2018/03/15'\r\n"
            "                           AND SAL_NO   = '0002';\r\n");
  size_t first = batch.find("'M1'"), second = batch.find("'M2'");
  EXPECT_TRUE(first != std::string::npos && second != std::string::npos && first < second) << batch;
}

TEST(UploadRun, FiveFailedPassesEndAKindAndASuccessResetsTheCount) {
  const std::string rows =
      "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO) VALUES ('107/03/15','0001');"
      "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO) VALUES ('107/03/15','0002');"
      "INSERT INTO DECCASH_SUB (SAL_DATE, SAL_NO, ICCARD_ID) VALUES ('107/03/15','0001','C');";
  {
    UploadRig rig({"--no-success", "5"});
    rig.local(rows);
    rig.engine.run();
    Lines log = rig.progressFrom(" 點數記錄");
    ASSERT_GE(log.size(), 8u);
    EXPECT_EQ(Lines(log.begin(), log.begin() + 8),
              (Lines{" 點數記錄資料上傳中..!", "   >>107/03/15_0001...POINT_MASTER",
                     "   >>107/03/15_0001...POINT_MASTER", "   >>107/03/15_0001...POINT_MASTER",
                     "   >>107/03/15_0001...POINT_MASTER", "   >>107/03/15_0001...POINT_MASTER",
                     " 儲值記錄資料上傳中..!", "   >>107/03/15_0001...DECCASH_SUB"}));
    EXPECT_EQ(rig.localRows("SELECT COUNT(*) FROM POINT_MASTER WHERE TRN_CODE IS NULL"),
              Lines{"2"});
    EXPECT_EQ(rig.localRows("SELECT TRN_CODE FROM DECCASH_SUB"), Lines{"Y"});
    EXPECT_EQ(rig.host.boxes.size(), 2u);  // a refused batch is no connection problem
  }
  {
    UploadRig rig({"--no-success", "4"});
    rig.local(rows);
    rig.engine.run();
    EXPECT_EQ(rig.localRows("SELECT DISTINCT TRN_CODE FROM POINT_MASTER"), Lines{"Y"});
    EXPECT_EQ(rig.headOfficeRows("SELECT SAL_NO FROM POINT_MASTER ORDER BY SAL_NO"),
              (Lines{"0001", "0002"}));
  }
}

TEST(UploadRun, AFailedDateStaysPendingAndGoesWithTheNextRun) {
  UploadRig rig({"--no-success", "1"});
  rig.local(
      "INSERT INTO LOC_DELE (SAL_DATE, SAL_NO, ORD_NO) VALUES ('107/03/13','0001','1');"
      "INSERT INTO LOC_DELE (SAL_DATE, SAL_NO, ORD_NO) VALUES ('107/03/14','0001','1');"
      "INSERT INTO LOC_DELE (SAL_DATE, SAL_NO, ORD_NO) VALUES ('107/03/15','0001','1');"
      "INSERT INTO LOC_DELE (SAL_DATE, SAL_NO, ORD_NO) VALUES (NULL,'0009','1');");
  rig.engine.run();
  EXPECT_EQ(rig.localRows("SELECT SAL_DATE, TRN_CODE FROM LOC_DELE ORDER BY SAL_DATE"),
            (Lines{"<null>|*", "107/03/13|*", "107/03/14|Y", "107/03/15|Y"}));
  rig.host.selectedMode = -1;  // no mode: only what is pending goes
  rig.engine.run();
  EXPECT_EQ(rig.localRows("SELECT SAL_DATE, TRN_CODE FROM LOC_DELE ORDER BY SAL_DATE"),
            (Lines{"<null>|*", "107/03/13|Y", "107/03/14|Y", "107/03/15|Y"}));
  EXPECT_EQ(rig.headOfficeRows("SELECT COUNT(*) FROM POS_DELE"), Lines{"3"});
}

TEST(UploadRun, TheOneDayModeSendsTheDayAgainWithWhatIsPending) {
  UploadRig rig;
  rig.local(
      "INSERT INTO LOC_KEY (SAL_DATE, SAL_NO, MCH_NO, SAL_TIME, KEY_NAME, TRN_CODE) "
      "  VALUES ('107/03/14','0001','01','10:00','OLD','Y');"
      "INSERT INTO LOC_KEY (SAL_DATE, SAL_NO, MCH_NO, SAL_TIME, TRN_CODE) "
      "  VALUES ('107/03/13','0001','01','10:00','*');"
      "INSERT INTO LOC_KEY (SAL_DATE, SAL_NO, MCH_NO, SAL_TIME, TRN_CODE) "
      "  VALUES ('107/03/12','0001','01','10:00',NULL);");
  rig.host.selectedMode = 1;
  rig.host.date = {2018, 3, 14};
  rig.engine.run();
  EXPECT_EQ(rig.localRows("SELECT SAL_DATE, TRN_CODE FROM LOC_KEY ORDER BY SAL_DATE"),
            (Lines{"107/03/12|<null>", "107/03/13|Y", "107/03/14|Y"}));
  EXPECT_EQ(rig.headOfficeRows("SELECT SAL_DATE, KEY_NAME FROM POS_KEY ORDER BY SAL_DATE"),
            (Lines{"2018/03/13|", "2018/03/14|OLD"}));
}

TEST(UploadRun, FailedRunsRetryTwiceAndF1StartsAgain) {
  UploadRig rig;
  rig.folder.write("httpset.ini", "[set]\r\nport=1\r\n");  // nothing listens there
  rig.http.readSettings();
  for (int run = 0; run < 3; ++run) rig.engine.run();
  EXPECT_EQ(rig.host.failures, Lines(3, text::B5("錯誤的連線(主機)..20180315-123456")));
  EXPECT_EQ(rig.engine.FailCount, 3);
  EXPECT_EQ(rig.host.timerArms, 2);
  EXPECT_EQ(rig.engine.Busy, 0);
  EXPECT_TRUE(rig.engine.lastRunFailed());
  rig.engine.FailCount = 0;  // what F1 does before it clicks
  rig.engine.run();
  EXPECT_EQ(rig.host.timerArms, 3);
}

TEST(UploadRun, AnUnknownMachineEndsTheRunNormally) {
  UploadRig rig({}, "02,W02,S02");
  rig.local("INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO) VALUES ('107/03/15','0001');");
  rig.engine.run();
  EXPECT_EQ(rig.progressFrom("倉庫代號:"),
            (Lines{"倉庫代號:....(連線)ok", " 倉庫代號空白,上傳終止..!", "20180315-123456...OK",
                   "Record:1"}));
  EXPECT_EQ(rig.host.timerArms, 1);  // a sale is pending
  EXPECT_TRUE(rig.host.ticks.empty());
  EXPECT_FALSE(rig.engine.lastRunFailed());
}

// The server's collector, not the run, removes the versions a mark leaves.
TEST(UploadRun, TheTillAttachmentLeavesOldRowVersionsToTheServer) {
  UploadRig rig;
  localdb::SqlQuery q(rig.engine.localConnection());
  q.setSql(
      "SELECT MON$GARBAGE_COLLECTION FROM MON$ATTACHMENTS "
      "WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION");
  q.open();
  EXPECT_EQ(q.field(0).asString(), "0");
}

TEST(UploadRun, ProgressLogClearingNestingAndApostrophesInKeys) {
  UploadRig rig;
  rig.local("INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO) VALUES ('107/03/15','A''1');");
  rig.host.progress.assign(29, "old");
  rig.engine.run();
  EXPECT_EQ(rig.host.progress.front(), "old");
  EXPECT_EQ(rig.localRows("SELECT TRN_CODE FROM POINT_MASTER"), Lines{"Y"});
  EXPECT_EQ(rig.headOfficeRows("SELECT SAL_NO FROM POINT_MASTER"), Lines{"A'1"});

  rig.host.progress.assign(30, "old");
  rig.engine.run();
  EXPECT_EQ(rig.host.progress.front(), "20180315-123456");

  rig.engine.Busy = 1;  // a run is under way: nothing starts
  rig.host.progress.clear();
  rig.engine.run();
  EXPECT_TRUE(rig.host.progress.empty());
}

}  // namespace
}  // namespace tavrix

// Two tills of one head office with the same sale numbers: a batch keyed by
// day and sale number never deletes another machine's sale.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "tests/support/upload_rig.h"

namespace tavrix {
namespace {

using Lines = std::vector<std::string>;
using testing::UploadRig;
using Json = nlohmann::json;

// The requests a simulator recorded, in order.
Lines recordedRequests(const std::string& dir) {
  Lines files;
  for (const auto& file : std::filesystem::directory_iterator(dir))
    if (file.path().string().find("-request") != std::string::npos)
      files.push_back(file.path().string());
  std::sort(files.begin(), files.end());
  Lines requests;
  for (const std::string& file : files) {
    std::ifstream in(file, std::ios::binary);
    requests.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return requests;
}

TEST(ForeignSales, ASaleAnotherMachineHoldsStaysAndTheTillsOthersGo) {
  UploadRig rig({}, "02,W02,S02");
  rig.engine.MachineNo = "02";
  rig.engine.settings.catchUp = true;
  // Machine 01 sent sales 0001 and 0002 (its number stored with blanks), a
  // line and the points of 0001; this till sent 0003 before.
  rig.headOffice(
      "INSERT INTO POS_MASTER (SAL_DATE, SAL_NO, MCH_NO) VALUES ('2018/03/15','0001','01 ');"
      "INSERT INTO POS_MASTER (SAL_DATE, SAL_NO, MCH_NO) VALUES ('2018/03/15','0002',' 01');"
      "INSERT INTO POS_SUB (SAL_DATE, SAL_NO, ORD_NO) VALUES ('2018/03/15','0001','1');"
      "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO, MEMBER_ID) VALUES ('2018/03/15','0001','M1');"
      "INSERT INTO POS_MASTER (SAL_DATE, SAL_NO, MCH_NO) VALUES ('2018/03/15','0003','02');");
  rig.local(
      "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, MCH_NO) VALUES ('107/03/15','0001','02');"
      "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, MCH_NO) VALUES ('107/03/15','0002','02');"
      "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, MCH_NO) VALUES ('107/03/15','0003','02');"
      "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, MCH_NO) VALUES ('107/03/15','0004','02');"
      "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO, MEMBER_ID) VALUES ('107/03/15','0001','M2');"
      "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO, MEMBER_ID) VALUES ('107/03/15','0004','M2');"
      "INSERT INTO LOC_DELE (SAL_DATE, SAL_NO, ORD_NO) VALUES ('107/03/15','0002','1');");
  rig.engine.run();

  // Machine 01's rows stay; this till's own 0003 is replaced, not doubled.
  EXPECT_EQ(rig.headOfficeRows("SELECT SAL_NO, MCH_NO FROM POS_MASTER ORDER BY SAL_NO"),
            (Lines{"0001|01 ", "0002| 01", "0003|02", "0004|02"}));
  EXPECT_EQ(rig.headOfficeRows("SELECT SAL_NO FROM POS_SUB"), Lines{"0001"});
  EXPECT_EQ(rig.headOfficeRows("SELECT SAL_NO, MEMBER_ID FROM POINT_MASTER ORDER BY SAL_NO"),
            (Lines{"0001|M1", "0004|M2"}));
  EXPECT_EQ(rig.headOfficeRows("SELECT COUNT(*) FROM POS_DELE"), Lines{"0"});
  EXPECT_EQ(rig.localRows("SELECT SAL_NO, TRN_CODE FROM LOC_MAIN ORDER BY SAL_NO"),
            (Lines{"0001|<null>", "0002|<null>", "0003|Y", "0004|Y"}));
  EXPECT_EQ(rig.localRows("SELECT TRN_CODE FROM LOC_DELE"), Lines{"*"});

  // Said in status.json and the run log.
  Json status = Json::parse(rig.folder.read("status.json"));
  Json expected = {
      {{"kind", "sales"},
       {"key", "107/03/15_0001"},
       {"reason", "sale 0001 of 107/03/15 is held at the head office by machine 01; not replaced"}},
      {{"kind", "sales"},
       {"key", "107/03/15_0002"},
       {"reason", "sale 0002 of 107/03/15 is held at the head office by machine 01; not replaced"}},
      {{"kind", "points"},
       {"key", "107/03/15_0001"},
       {"reason", "sale 0001 of 107/03/15 is held at the head office by machine 01; not replaced"}},
      {{"kind", "deletions"},
       {"key", "107/03/15"},
       {"reason",
        "sale 0002 of 107/03/15 is held at the head office by machine 01; not replaced"}}};
  EXPECT_EQ(status["stuck"], expected);
  EXPECT_NE(rig.folder.read("log/20180315.log")
                .find("Held sale 0002 of 107/03/15 is held at the head office by machine 01"),
            std::string::npos);
  // The pending sales are all held: they wait for a person, not for a run
  // every three seconds.
  EXPECT_EQ(rig.host.timerArms, 0);
  EXPECT_EQ(status["warnings"], Json::array());
}

// The statement a recorded query request carries.
std::string sqlOf(const std::string& request) {
  size_t at = request.find("name=\"sql\"\r\n\r\n");
  if (at == std::string::npos) return "";
  at += 14;
  std::string sql = request.substr(at, request.find("\r\n--", at) - at);
  while (!sql.empty() && (sql.back() == '\n' || sql.back() == '\r')) sql.pop_back();
  return sql;
}

const std::string kSaleAndPoints =
    "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, MCH_NO) VALUES ('107/03/15','0001','01');"
    "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO) VALUES ('107/03/15','0001');"
    "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO) VALUES ('107/03/14','0007');"
    "INSERT INTO LOC_DELE (SAL_DATE, SAL_NO, ORD_NO) VALUES ('107/03/14','0007','1');";

TEST(ForeignSales, TheGuardAsksPlainQuestionsAndOffSendsTheSpecifiedRequests) {
  testing::TempFolder recorded;
  UploadRig rig({"--record", recorded.path()});
  rig.local(kSaleAndPoints);
  rig.engine.settings.foreignSaleGuard = false;
  rig.engine.run();
  Lines off = recordedRequests(recorded.path());

  rig.local("DELETE FROM LOC_MAIN; DELETE FROM POINT_MASTER; DELETE FROM LOC_DELE;" +
            kSaleAndPoints);
  rig.engine.settings.foreignSaleGuard = true;
  rig.engine.run();
  Lines on = recordedRequests(recorded.path());
  on.erase(on.begin(), on.begin() + static_cast<long>(off.size()));

  // One question for both days, of the one header table the pending kinds
  // need, and one more look at the day of the sale sent once the sales are
  // done; the sale's header verification also brings back the day's
  // numbers held by others; every other request the same bytes.
  ASSERT_EQ(on.size(), off.size() + 2);
  EXPECT_EQ(sqlOf(on[3]),
            "SELECT SAL_DATE,SAL_NO,MCH_NO FROM POS_MASTER WHERE MCH_NO <> '01' AND (SAL_DATE = "
            "'2018/03/14' AND SAL_NO >= '0007' AND SAL_NO <= '0007' OR SAL_DATE = '2018/03/15' "
            "AND SAL_NO >= '0001' AND SAL_NO <= '0001')");
  EXPECT_EQ(sqlOf(on[7]),
            "SELECT SAL_DATE,SAL_NO,MCH_NO FROM POS_MASTER WHERE MCH_NO <> '01' AND (SAL_DATE = "
            "'2018/03/15' AND SAL_NO >= '0001' AND SAL_NO <= '0001')");
  on.erase(on.begin() + 7);
  on.erase(on.begin() + 3);
  for (size_t i = 0; i < off.size(); ++i) {
    if (on[i] == off[i]) continue;
    EXPECT_EQ(sqlOf(off[i]),
              "SELECT SAL_DATE FROM POS_MASTER  WHERE SAL_DATE = '2018/03/15' AND   SAL_NO   = "
              "'0001'");
    EXPECT_EQ(sqlOf(on[i]),
              "SELECT SAL_DATE,SAL_NO,MCH_NO FROM POS_MASTER WHERE SAL_DATE = '2018/03/15' AND "
              "(SAL_NO = '0001' OR MCH_NO <> '01' AND SAL_NO >= '0001' AND SAL_NO <= '0001')");
  }
  Json status = Json::parse(rig.folder.read("status.json"));
  EXPECT_EQ(status["warnings"], Json::array());
  EXPECT_EQ(status["sent"], (Json{{"sales", 1}, {"points", 2}, {"deletions", 1}}));
}

// What the run says when the guard cannot ask: every record goes as it
// would without the guard.
void expectSentUnguarded(const UploadRig& rig, const std::string& warning) {
  Json status = Json::parse(rig.folder.read("status.json"));
  EXPECT_EQ(status["result"], "ok") << status["reason"];
  EXPECT_EQ(status["sent"], (Json{{"sales", 1}, {"points", 2}, {"deletions", 1}}));
  ASSERT_EQ(status["warnings"].size(), 1u) << status.dump();
  EXPECT_NE(status["warnings"][0].get<std::string>().find(warning), std::string::npos)
      << status["warnings"][0];
  EXPECT_NE(rig.folder.read("log/20180315.log").find("Warning " + warning), std::string::npos);
  EXPECT_EQ(rig.localRows("SELECT COUNT(*) FROM LOC_MAIN WHERE TRN_CODE = 'Y'"), Lines{"1"});
}

TEST(ForeignSales, AHeaderTableWithoutAMachineColumnGoesUnguardedAndSaysSo) {
  testing::TempFolder recorded;
  UploadRig rig({"--record", recorded.path()});
  rig.headOffice("ALTER TABLE POS_MASTER DROP MCH_NO;");
  rig.local(kSaleAndPoints);
  rig.engine.run();
  expectSentUnguarded(rig, "POS_MASTER at the head office has no MCH_NO column");
  for (const std::string& request : recordedRequests(recorded.path()))
    EXPECT_EQ(request.find("MCH_NO <>"), std::string::npos) << sqlOf(request);
}

TEST(ForeignSales, ARefusedQuestionNeverStopsTheTill) {
  UploadRig rig({"--equals-only"});
  rig.local(kSaleAndPoints);
  rig.engine.run();
  expectSentUnguarded(rig,
                      "The head office did not answer this till's question about other tills' "
                      "sales in POS_MASTER (<RESULT>ERROR: ONLY COLUMN = VALUE JOINED BY AND");
  // The records so sent are named.
  std::string log = rig.folder.read("log/20180315.log");
  for (const char* record :
       {"sales 107/03/15_0001", "points 107/03/14_0007", "deletions 107/03/14"})
    EXPECT_NE(log.find(std::string("Unchecked ") + record +
                       ": sent without the check against other tills' sales (POS_MASTER did "
                       "not answer this run)"),
              std::string::npos)
        << record;
}

TEST(ForeignSales, ASaleReplacedAfterItWasConfirmedIsPendingAgain) {
  UploadRig rig;
  rig.engine.settings.catchUp = true;
  rig.local(
      "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, MCH_NO) VALUES ('107/03/15','0001','01');"
      "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, MCH_NO) VALUES ('107/03/15','0002','01');"
      "INSERT INTO LOC_MAST (SAL_DATE, SAL_NO, ORD_NO) VALUES ('107/03/15','0001','1');");
  // Confirmed and marked, then machine 03's batch puts its own sale there.
  rig.host.onProgressLine = [&](const std::string& line) {
    if (line == "   >>107/03/15_0001...>>>>>OK")
      rig.headOffice("UPDATE POS_MASTER SET MCH_NO = '03' WHERE SAL_NO = '0001';");
  };
  rig.engine.run();
  EXPECT_EQ(rig.localRows("SELECT SAL_NO, TRN_CODE FROM LOC_MAIN ORDER BY SAL_NO"),
            (Lines{"0001|<null>", "0002|Y"}));
  EXPECT_EQ(rig.localRows("SELECT TRN_CODE FROM LOC_MAST"), Lines{"<null>"});
  Json status = Json::parse(rig.folder.read("status.json"));
  EXPECT_EQ(status["sent"]["sales"], 1);
  EXPECT_EQ(status["stuck"],
            (Json{{{"kind", "sales"},
                   {"key", "107/03/15_0001"},
                   {"reason",
                    "sale 0001 of 107/03/15 was replaced at the head office by machine 03 after "
                    "it was confirmed; pending again"}}}));
}

// Rows that carry another number than MCH_NO.TXT are still this till's own.
TEST(ForeignSales, WhatATillSentIsNeverAnotherMachinesSale) {
  UploadRig rig;
  rig.engine.settings.catchUp = true;
  rig.local(
      "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, MCH_NO) VALUES ('107/03/15','0001','7');"
      "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, MCH_NO) VALUES ('107/03/15','0002','7');"
      "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO) VALUES ('107/03/15','0001');");
  rig.engine.run();
  EXPECT_EQ(
      rig.localRows("SELECT TRN_CODE FROM LOC_MAIN UNION ALL SELECT TRN_CODE FROM POINT_MASTER"),
      (Lines{"Y", "Y", "Y"}));
  EXPECT_EQ(Json::parse(rig.folder.read("status.json"))["stuck"], Json::array());
}

TEST(ForeignSales, ASaleReplacedBeforeItIsVerifiedIsHeldNotMarked) {
  // The head office answers the batch two seconds after it ran: time for
  // machine 03's batch to put its own sale in place.
  UploadRig rig({"--delay", "script:2000"});
  rig.local("INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, MCH_NO) VALUES ('107/03/15','0001','01');");
  std::thread other;
  rig.host.onProgressLine = [&](const std::string& line) {
    if (line != "   >>107/03/15_0001..Batch") return;
    other = std::thread([&] {
      for (int i = 0; i < 250; ++i) {
        if (rig.headOfficeRows("SELECT COUNT(*) FROM POS_MASTER") == Lines{"1"}) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      rig.headOffice("UPDATE POS_MASTER SET MCH_NO = '03';");
    });
  };
  rig.engine.run();
  other.join();
  EXPECT_EQ(rig.localRows("SELECT TRN_CODE FROM LOC_MAIN"), Lines{"<null>"});
  Json status = Json::parse(rig.folder.read("status.json"));
  EXPECT_EQ(status["stuck"],
            (Json{{{"kind", "sales"},
                   {"key", "107/03/15_0001"},
                   {"reason",
                    "sale 0001 of 107/03/15 was replaced at the head office by machine 03 before "
                    "it was confirmed; not marked"}}}));
  // Only held sales wait: no run in three seconds.
  EXPECT_EQ(rig.host.timerArms, 0);
}

}  // namespace
}  // namespace tavrix

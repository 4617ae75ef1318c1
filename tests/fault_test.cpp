// Faults on the way, against the real simulator and the real server: lost
// replies, a head office that goes away, a till that writes during a run. Each
// case ends with every record at the head office exactly once and every local
// row marked.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <thread>

#include "tests/support/upload_rig.h"

namespace tavrix {
namespace {

using Lines = std::vector<std::string>;
using testing::UploadRig;

struct Tables {
  std::string local, headOffice;
};

void expectDelivered(const UploadRig& rig, const std::vector<Tables>& tables) {
  for (const Tables& t : tables) {
    EXPECT_EQ(
        rig.localRows("SELECT COUNT(*) FROM " + t.local + " WHERE TRN_CODE IS DISTINCT FROM 'Y'"),
        Lines{"0"})
        << t.local;
    EXPECT_EQ(rig.headOfficeRows("SELECT COUNT(*) FROM " + t.headOffice),
              rig.localRows("SELECT COUNT(*) FROM " + t.local))
        << t.headOffice;
  }
}

void runs(UploadRig& rig, int count) {
  for (int i = 0; i < count; ++i) rig.engine.run();
}

const std::string kSale =
    "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, SAL_AMT) VALUES ('107/03/15','0001',160);"
    "INSERT INTO LOC_MAST (SAL_DATE, SAL_NO, ORD_NO, PDC_NO, SAL_QTY, U_PRICE) "
    "  VALUES ('107/03/15','0001','1','P1','1',80);"
    "INSERT INTO LOC_MAST (SAL_DATE, SAL_NO, ORD_NO, PDC_NO, SAL_QTY, U_PRICE) "
    "  VALUES ('107/03/15','0001','2','P2','1',80);";
const std::string kPoints =
    "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO) VALUES ('107/03/15','0001');"
    "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO) VALUES ('107/03/15','0002');"
    "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO) VALUES ('107/03/15','0003');";
const std::string kDeletions =
    "INSERT INTO LOC_DELE (SAL_DATE, SAL_NO, ORD_NO) VALUES ('107/03/14','0001','1');"
    "INSERT INTO LOC_DELE (SAL_DATE, SAL_NO, ORD_NO) VALUES ('107/03/15','0001','1');"
    "INSERT INTO LOC_DELE (SAL_DATE, SAL_NO, ORD_NO) VALUES ('107/03/15','0002','1');";

TEST(Faults, AReplyLostAfterTheBatchRanNeverDoublesARecord) {
  struct Case {
    std::string rows;
    std::vector<Tables> tables;
  };
  for (const Case& c : std::vector<Case>{
           {kSale, {{"LOC_MAIN", "POS_MASTER"}, {"LOC_MAST", "POS_SUB"}}},
           {kPoints, {{"POINT_MASTER", "POINT_MASTER"}}},
           {kDeletions, {{"LOC_DELE", "POS_DELE"}}},
       }) {
    UploadRig rig({"--lose", "script:1"});
    rig.local(c.rows);
    runs(rig, 3);
    EXPECT_NE(rig.sim.output().find(" lost"), std::string::npos) << rig.sim.output();
    expectDelivered(rig, c.tables);
  }
}

// How many requests each connection carried, from the simulator's lines.
std::map<int, int> requestsByConnection(const std::string& simOutput) {
  std::map<int, int> counts;
  std::istringstream lines(simOutput);
  for (std::string line; std::getline(lines, line);)
    if (size_t at = line.rfind("[connection "); line[0] == '#' && at != std::string::npos)
      ++counts[std::stoi(line.substr(at + 12))];
  return counts;
}

TEST(Faults, KeptConnectionsCarryEveryRecordOnceWhateverTheHeadOfficeDoes) {
  for (std::string closing : {"", "--no-keep-alive", "--close-after"}) {
    std::vector<std::string> options;
    if (!closing.empty()) options.push_back(closing);
    if (closing == "--close-after") options.push_back("2");
    UploadRig rig(options);
    rig.folder.write("httpset.ini", rig.sim.httpsetIni() + "keep_alive=1\r\n");
    rig.http.readSettings();
    rig.local(kSale + kPoints + kDeletions);
    runs(rig, 2);
    expectDelivered(rig, {{"LOC_MAIN", "POS_MASTER"},
                          {"LOC_MAST", "POS_SUB"},
                          {"POINT_MASTER", "POINT_MASTER"},
                          {"LOC_DELE", "POS_DELE"}});
    auto counts = requestsByConnection(rig.sim.output());
    int most = 0;
    for (auto [connection, requests] : counts) most = std::max(most, requests);
    if (closing.empty())
      EXPECT_EQ(counts.size(), 2u) << rig.sim.output();  // one a run
    else
      EXPECT_EQ(most, closing == "--close-after" ? 2 : 1) << rig.sim.output();
  }
}

TEST(Faults, AHeadOfficeThatGoesAwayFailsTheRunAndALaterRunCompletes) {
  UploadRig rig;
  rig.local(kPoints + kDeletions);
  auto gfix = [&](const std::string& what) {
    std::string command = "gfix " + what + " -user SYSDBA -password quietbell " + rig.sim.dsn();
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  };
  bool shut = false;
  rig.host.onProgressLine = [&](const std::string& line) {
    if (!shut && line.find("POINT_MASTER") != std::string::npos) {
      gfix("-shut full -force 0");
      shut = true;
    }
  };
  rig.engine.run();
  ASSERT_TRUE(shut);
  EXPECT_TRUE(rig.engine.lastRunFailed());
  EXPECT_EQ(rig.host.failures.size(), 1u);

  gfix("-online normal");
  runs(rig, 2);
  EXPECT_FALSE(rig.engine.lastRunFailed());
  expectDelivered(rig, {{"POINT_MASTER", "POINT_MASTER"}, {"LOC_DELE", "POS_DELE"}});
}

TEST(Faults, ARowWrittenAfterThePendingMarkWaitsForTheNextRun) {
  testing::TempFolder requests;
  UploadRig rig({"--delay", "script:1000", "--record", requests.path()});
  rig.local(kDeletions);
  // While the head office holds back its answer to the day's batch, the till
  // writes one more row of the same day.
  std::thread till([&] {
    if (testing::waitForRequest(requests.path(), "sql_scripts.php"))
      rig.local("INSERT INTO LOC_DELE (SAL_DATE, SAL_NO, ORD_NO) VALUES ('107/03/15','0003','1');");
  });
  rig.engine.run();
  till.join();
  EXPECT_EQ(rig.localRows("SELECT SAL_NO, TRN_CODE FROM LOC_DELE WHERE SAL_DATE = '107/03/15' "
                          "ORDER BY SAL_NO"),
            (Lines{"0001|Y", "0002|Y", "0003|<null>"}));
  rig.engine.run();
  expectDelivered(rig, {{"LOC_DELE", "POS_DELE"}});
}

TEST(Faults, ASecondCardSlipWrittenAfterItsSaleWentTravelsWithTheFirst) {
  UploadRig rig;
  rig.local(
      "INSERT INTO CREDIT_CARD (SAL_DATE, SAL_NO, CARD_NO) VALUES ('107/03/15','0001','4111');");
  rig.engine.run();
  rig.local(
      "INSERT INTO CREDIT_CARD (SAL_DATE, SAL_NO, CARD_NO) VALUES ('107/03/15','0001','5222');");
  rig.engine.run();
  expectDelivered(rig, {{"CREDIT_CARD", "CREDIT_CARD"}});
  EXPECT_EQ(rig.headOfficeRows("SELECT CARD_NO FROM CREDIT_CARD ORDER BY CARD_NO"),
            (Lines{"4111", "5222"}));
}

}  // namespace
}  // namespace tavrix

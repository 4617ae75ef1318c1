// Two tills of one head office with the same sale numbers: a batch keyed by
// day and sale number never deletes another machine's sale.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

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
}

TEST(ForeignSales, TheGuardAsksOnceADayAndOffSendsTheSpecifiedRequests) {
  testing::TempFolder recorded;
  UploadRig rig({"--record", recorded.path()});
  const std::string records =
      "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, MCH_NO) VALUES ('107/03/15','0001','01');"
      "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO) VALUES ('107/03/15','0001');"
      "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO) VALUES ('107/03/14','0007');"
      "INSERT INTO LOC_DELE (SAL_DATE, SAL_NO, ORD_NO) VALUES ('107/03/14','0007','1');";
  rig.local(records);
  rig.engine.settings.foreignSaleGuard = false;
  rig.engine.run();
  Lines off = recordedRequests(recorded.path());

  rig.local("DELETE FROM LOC_MAIN; DELETE FROM POINT_MASTER; DELETE FROM LOC_DELE;" + records);
  rig.engine.settings.foreignSaleGuard = true;
  rig.engine.run();
  Lines on = recordedRequests(recorded.path());
  on.erase(on.begin(), on.begin() + static_cast<long>(off.size()));

  // Both days in one question, and otherwise the same bytes.
  auto asks = [](const std::string& r) { return r.find("HELD_IN") != std::string::npos; };
  ASSERT_EQ(std::count_if(on.begin(), on.end(), asks), 1);
  EXPECT_EQ(std::count_if(off.begin(), off.end(), asks), 0);
  std::string question = *std::find_if(on.begin(), on.end(), asks);
  EXPECT_NE(question.find("SAL_DATE = '2018/03/14'"), std::string::npos);
  EXPECT_NE(question.find("SAL_DATE = '2018/03/15'"), std::string::npos);
  on.erase(std::remove_if(on.begin(), on.end(), asks), on.end());
  EXPECT_EQ(on, off);
}

}  // namespace
}  // namespace tavrix

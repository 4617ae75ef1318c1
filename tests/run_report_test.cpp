// What a run leaves for the people who look after the tills: the day's run
// log and status.json.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/text/big5.h"
#include "tests/support/upload_rig.h"
#include "upload/program_version.h"

namespace tavrix {
namespace {

using testing::UploadRig;
using Json = nlohmann::json;

const char kToday[] = "log/20180315.log";

TEST(RunLog, EveryLineOfBothLogsAndTheFailureReasonGoToTheDaysFile) {
  UploadRig rig;
  rig.folder.write("httpset.ini", "[set]\r\nport=1\r\n");  // nothing listens there
  rig.http.readSettings();
  rig.engine.run();
  rig.engine.run();
  std::string log = rig.folder.read(kToday);
  // Each run begins with the version of the program that ran it.
  EXPECT_EQ(log.substr(0, log.find("\r\n") + 2),
            "12:34:56 Run version " + programVersion() + "\r\n");
  EXPECT_NE(log.find("\r\n12:34:56 Memo1 20180315-123456\r\n"), std::string::npos);
  EXPECT_NE(log.find("12:34:56 Memo1 " + text::B5("機號:[01]倉庫代號比對(連線)中..!") + "\r\n"),
            std::string::npos);
  std::string failed = "12:34:56 Memo2 " + text::B5("錯誤的連線(主機)..20180315-123456") +
                       "\r\n12:34:56 Error cannot connect to 127.0.0.1:1";
  size_t first = log.find(failed);
  EXPECT_NE(first, std::string::npos) << log;
  EXPECT_NE(log.find(failed, first + 1), std::string::npos);  // appended, run after run
  EXPECT_EQ(rig.host.failures.size(), 2u);  // the failure log keeps its one line a run
}

TEST(RunLog, OldDaysGoAtStartAndAnUnwritableLogNeverStopsARun) {
  UploadRig rig;
  std::filesystem::create_directories(rig.folder.path() + "log");
  rig.folder.write("log/20180212.log", "old\r\n");  // 31 days before the rig's today
  rig.folder.write("log/20180213.log", "kept\r\n");
  UploadEngine again{rig.host, rig.http, rig.clock, rig.folder.path(), rig.folder.path()};
  EXPECT_FALSE(rig.folder.exists("log/20180212.log"));
  EXPECT_TRUE(rig.folder.exists("log/20180213.log"));

  std::filesystem::remove_all(rig.folder.path() + "log");
  rig.folder.write("log", "a file where the folder should be");
  rig.local("INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO) VALUES ('107/03/15','0001');");
  ::testing::internal::CaptureStderr();
  rig.engine.run();
  std::string warnings = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1) << warnings;
  EXPECT_NE(warnings.find("cannot write the run log"), std::string::npos);
  EXPECT_EQ(rig.localRows("SELECT TRN_CODE FROM POINT_MASTER"), std::vector<std::string>{"Y"});
}

TEST(RunStatus, AfterANormalRunAndAFailedOne) {
  UploadRig rig({"--no-success", "5"});
  rig.local(
      "INSERT INTO POINT_MASTER (SAL_DATE, SAL_NO) VALUES ('107/03/15','0001');"
      "INSERT INTO LOC_DELE (SAL_DATE, SAL_NO, ORD_NO) VALUES ('107/03/15','0001','1');"
      "INSERT INTO LOC_DELE (SAL_DATE, SAL_NO, ORD_NO) VALUES ('107/03/15','0002','1');");
  rig.engine.run();
  Json ok = Json::parse(rig.folder.read("status.json"));
  EXPECT_EQ(ok["result"], "ok");
  EXPECT_EQ(ok["version"], programVersion());
  EXPECT_EQ(ok["started"], "2018-03-15 12:34:56");
  EXPECT_TRUE(ok["reason"].is_null());
  EXPECT_TRUE(ok["failedAt"].is_null());
  EXPECT_EQ(ok["timerArmed"], false);
  EXPECT_EQ(ok["sent"], (Json{{"deletions", 2}}));
  ASSERT_EQ(ok["stuck"].size(), 1u);
  EXPECT_EQ(ok["stuck"][0]["kind"], "points");
  EXPECT_EQ(ok["stuck"][0]["key"], "107/03/15_0001");
  EXPECT_NE(ok["stuck"][0]["reason"].get<std::string>().find("no \"success\""), std::string::npos);

  // A date that is no date ends the run in the middle of a kind.
  rig.local(
      "INSERT INTO DECCASH_SUB (SAL_DATE, SAL_NO, ICCARD_ID) VALUES ('107/03/15','0002','C');"
      "INSERT INTO CREDIT_CARD (SAL_DATE, SAL_NO) VALUES ('XX/03/15','0003');");
  rig.engine.run();
  Json failed = Json::parse(rig.folder.read("status.json"));
  EXPECT_EQ(failed["result"], "failed");
  EXPECT_NE(failed["reason"].get<std::string>().find("'XX'"), std::string::npos)
      << failed["reason"];
  EXPECT_EQ(failed["failedAt"], (Json{{"kind", "cardSlips"}, {"key", "XX/03/15_0003"}}));
  EXPECT_EQ(failed["failCount"], 1);
  EXPECT_EQ(failed["timerArmed"], true);
  EXPECT_EQ(failed["sent"], (Json{{"points", 1}, {"storedValue", 1}}));
  EXPECT_FALSE(rig.folder.exists("status.json.tmp"));
}

}  // namespace
}  // namespace tavrix

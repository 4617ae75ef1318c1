// A till left to itself ([run] of httpset.ini): boxes as progress lines,
// catching up in one run, the timer watching for new records.
#include <gtest/gtest.h>

#include <csignal>

#include "platform/stop/stop.h"
#include "platform/text/big5.h"
#include "tests/support/error_text.h"
#include "tests/support/upload_rig.h"
#include "upload/run_settings.h"

namespace tavrix {
namespace {

using Lines = std::vector<std::string>;
using testing::UploadRig;

const std::string kThreeSales =
    "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO) VALUES ('107/03/14','0001');"
    "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO) VALUES ('107/03/14','0002');"
    "INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO) VALUES ('107/03/14','0003');";

bool has(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(Unattended, CatchUpSendsEveryPendingSaleInOneRunAndAFailedOneEndsTheKind) {
  UploadRig rig({"--lose", "script:1"});  // the first sale's reply goes missing
  rig.engine.settings.catchUp = true;
  rig.engine.settings.boxes = false;
  rig.local(kThreeSales);
  rig.engine.run();
  EXPECT_TRUE(rig.host.boxes.empty());  // nobody has to answer anything
  EXPECT_TRUE(has(rig.host.progress, text::B5("機號:01")));
  EXPECT_TRUE(has(rig.host.progress, "Connection problem!"));
  EXPECT_TRUE(has(rig.host.progress, "   >>107/03/14_0001..Batch..NG"));
  EXPECT_FALSE(has(rig.host.progress, "   >>107/03/14_0002..."));  // the kind ended there
  EXPECT_EQ(rig.localRows("SELECT COUNT(*) FROM LOC_MAIN WHERE TRN_CODE = 'Y'"), Lines{"0"});
  EXPECT_NE(rig.folder.read("log/20180315.log").find(" Memo1 Connection problem!\r\n"),
            std::string::npos);

  rig.engine.run();  // the failed sale first again, then the rest
  EXPECT_EQ(rig.localRows("SELECT COUNT(*) FROM LOC_MAIN WHERE TRN_CODE = 'Y'"), Lines{"3"});
  EXPECT_EQ(rig.headOfficeRows("SELECT COUNT(*) FROM POS_MASTER"), Lines{"3"});
  EXPECT_EQ(rig.host.progress.back(), "Record:0");
  EXPECT_EQ(rig.host.timerArms, 1);  // after the first run only: a sale was still pending
}

TEST(Unattended, AStopBetweenTwoSalesLeavesEveryConfirmedSaleMarked) {
  UploadRig rig;
  rig.engine.settings.catchUp = true;
  rig.local(kThreeSales);
  rig.host.onProgressLine = [](const std::string& line) {
    if (line == "   >>107/03/14_0001..Batch..OK") stop::request(SIGTERM);
  };
  rig.engine.run();
  stop::reset();
  EXPECT_EQ(rig.engine.lastRun().result, "stopped");
  EXPECT_EQ(rig.localRows("SELECT SAL_NO, TRN_CODE FROM LOC_MAIN ORDER BY SAL_NO"),
            (Lines{"0001|Y", "0002|<null>", "0003|<null>"}));
  EXPECT_EQ(rig.headOfficeRows("SELECT COUNT(*) FROM POS_MASTER"), Lines{"1"});
}

TEST(Unattended, WatchMinutesArmTheTimerWithNothingPendingAndAfterTheThirdFailure) {
  UploadRig rig;
  rig.engine.settings.watchMinutes = 15;
  rig.engine.run();  // nothing pending
  EXPECT_EQ(rig.host.watchArms, std::vector<std::chrono::minutes>{std::chrono::minutes(15)});
  EXPECT_EQ(rig.host.timerArms, 0);
  EXPECT_TRUE(rig.engine.lastRun().timerArmed);

  rig.folder.write("httpset.ini", "[set]\r\nport=1\r\n");  // nothing listens there
  rig.http.readSettings();
  for (int run = 0; run < 3; ++run) rig.engine.run();
  EXPECT_EQ(rig.host.timerArms, 2);          // the first two failures, as specified
  EXPECT_EQ(rig.host.watchArms.size(), 2u);  // the third: the watch instead of nothing
}

TEST(Unattended, SettingsAreWholeNumbersOrAClearError) {
  testing::TempFolder folder;
  folder.write("httpset.ini",
               "[run]\r\nboxes=0\r\ncatch_up=1\r\nwatch_minutes=15\r\nforeign_sale_guard=0\r\n");
  RunSettings s = readRunSettings(folder.path());
  EXPECT_EQ(describe(s), "boxes 0, catch_up 1, watch_minutes 15, foreign_sale_guard 0");
  EXPECT_EQ(describe(readRunSettings(folder.path() + "nowhere/")),
            "boxes 1, catch_up 0, watch_minutes 0, foreign_sale_guard 1");
  folder.write("httpset.ini", "[run]\r\nwatch_minutes=soon\r\n");
  EXPECT_EQ(testing::errorOf([&] { readRunSettings(folder.path()); }),
            "httpset.ini: [run] watch_minutes must be a whole number (0 or more), not \"soon\"");
  folder.write("httpset.ini", "[run]\r\nforeign_sale_guard=yes\r\n");
  EXPECT_EQ(testing::errorOf([&] { readRunSettings(folder.path()); }),
            "httpset.ini: [run] foreign_sale_guard must be 0 or 1, not \"yes\"");
}

}  // namespace
}  // namespace tavrix

// tavrix-upload as a person at a terminal runs it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/localdb/admin.h"
#include "tests/support/service_fixture.h"
#include "tests/support/sim_process.h"
#include "tools/fixtures/till_fixture.h"

namespace tavrix {
namespace {

using testing::ChildProcess;
using testing::SimProcess;

std::string upload() {
  return TAVRIX_BIN_DIR "/tavrix-upload";
}

// A sample till for the simulator, its database dropped at the end.
struct Till {
  explicit Till(const SimProcess& sim) {
    fixtures::TillFixtureOptions o;
    o.port = sim.port();
    o.days = 1;
    fixtures::makeTillFolder(folder.path() + "till/", o);
    ::setenv("TAVRIX_HOME", (folder.path() + "till").c_str(), 1);
  }
  ~Till() {
    try {
      localdb::dropDatabase(fixtures::tillDsn(folder.path() + "till/"), "SYSDBA", "quietbell");
    } catch (...) {
    }
  }
  testing::TempFolder folder;
};

TEST(TavrixUpload, TheAutoRunCycleCarriesEverySaleAndStops) {
  SimProcess sim;
  Till till(sim);
  ChildProcess run({upload(), "0", "--auto", "--intervals", "10,10"});
  EXPECT_EQ(run.wait(), 0) << run.output();
  std::string out = run.output();
  EXPECT_NE(out.find("Timer1...\n"), std::string::npos);
  EXPECT_NE(out.find("[倉庫代號W01]\n"), std::string::npos);  // a message box, as a line
  EXPECT_EQ(out.substr(out.size() - 9), "Record:0\n");
  EXPECT_EQ(out.find("! "), std::string::npos);
}

TEST(TavrixUpload, FailuresAndUsage) {
  SimProcess sim;
  Till till(sim);
  till.folder.write("till/httpset.ini", "[set]\r\nport=1\r\n");
  ChildProcess failed({upload()});
  EXPECT_EQ(failed.wait(), 1);
  EXPECT_NE(failed.output().find("! 錯誤的連線(主機).."), std::string::npos) << failed.output();
  EXPECT_NE(failed.output().find("tavrix-upload: the run failed: "), std::string::npos);

  // Mode 1: the first tick starts nothing and the timer stays off.
  ChildProcess oneDay({upload(), "1", "2018/03/15", "--auto", "--intervals", "10,10"});
  EXPECT_EQ(oneDay.wait(), 0);
  EXPECT_EQ(oneDay.output(), "Timer1...\n");

  ::remove((till.folder.path() + "till/MCH_NO.TXT").c_str());
  ChildProcess noMachine({upload(), "1"});
  EXPECT_EQ(noMachine.wait(), 1);  // the service is still unreachable
  EXPECT_NE(noMachine.output().find("[Cannot open file \""), std::string::npos);

  ChildProcess bad({upload(), "--bogus"});
  EXPECT_EQ(bad.wait(), 2);
  ChildProcess help({upload(), "--help"});
  EXPECT_EQ(help.wait(), 0);
  EXPECT_NE(help.output().find("--intervals"), std::string::npos);
}

}  // namespace
}  // namespace tavrix

// tavrix-upload as a person at a terminal runs it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "platform/localdb/admin.h"
#include "platform/localdb/connection.h"
#include "platform/localdb/query.h"
#include "platform/text/big5.h"
#include "tests/support/service_fixture.h"
#include "tests/support/sim_process.h"
#include "tests/support/test_certificates.h"
#include "tools/fixtures/till_fixture.h"
#include "upload/data_kinds.h"
#include "version.h"

namespace tavrix {
namespace {

using testing::ChildProcess;
using testing::SimProcess;

std::string upload() {
  return TAVRIX_BIN_DIR "/tavrix-upload";
}

// A sample till for the simulator, its database dropped at the end. Its
// folder is named as a person might name it: in Chinese, with a character
// that Big5 lacks (银).
struct Till {
  explicit Till(const SimProcess& sim) {
    fixtures::TillFixtureOptions o;
    o.port = sim.port();
    o.days = 1;
    fixtures::makeTillFolder(path, o);
    ::setenv("TAVRIX_HOME", path.c_str(), 1);
  }
  ~Till() {
    try {
      localdb::dropDatabase(fixtures::tillDsn(path), "SYSDBA", "quietbell");
    } catch (...) {
    }
  }
  void write(const std::string& name, const std::string& bytes) const {
    folder.write(kName + name, bytes);
  }
  std::string read(const std::string& name) const { return folder.read(kName + name); }

  static inline const std::string kName = "收銀台 银/";
  testing::TempFolder folder;
  const std::string path = folder.path() + kName;
};

void expectEveryRecordDelivered(const std::string& tillDsn, const std::string& headOfficeDsn);

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
  // The guard asked the strict head office all it needed.
  EXPECT_EQ(nlohmann::json::parse(till.read("status.json"))["warnings"], nlohmann::json::array());
  expectEveryRecordDelivered(fixtures::tillDsn(till.path), sim.dsn());
}

// Every local row marked, and the head office holding as many rows as the
// till: each record exactly once.
void expectEveryRecordDelivered(const std::string& tillDsn, const std::string& headOfficeDsn) {
  localdb::SqlConnection till, office;
  fixtures::configureTill(till, tillDsn);
  fixtures::configureTill(office, headOfficeDsn);
  auto count = [](localdb::SqlConnection& c, const std::string& select) {
    localdb::SqlQuery q(c);
    q.setSql(select);
    q.open();
    return q.field(0).asString();
  };
  for (const KindTable& t : kindTables()) {
    std::string local = t.local;
    EXPECT_EQ(count(till, "SELECT COUNT(*) FROM " + local + " WHERE TRN_CODE IS DISTINCT FROM 'Y'"),
              "0")
        << local;
    EXPECT_EQ(count(office, std::string("SELECT COUNT(*) FROM ") + t.headOffice),
              count(till, "SELECT COUNT(*) FROM " + local))
        << t.headOffice;
  }
}

TEST(TavrixUpload, ASignalStopsARunThatWaitsOnTheHeadOffice) {
  for (int signal : {SIGTERM, SIGINT}) {
    testing::TempFolder requests;
    SimProcess sim({"--delay", "script:120000", "--record", requests.path()});
    Till till(sim);
    std::string tillDsn = fixtures::tillDsn(till.path);
    ChildProcess run({upload(), "0"});
    // The first sale's batch has run at the head office; its answer is two
    // minutes away.
    ASSERT_TRUE(testing::waitForRequest(requests.path(), "sql_scripts.php"));
    run.signal(signal);
    EXPECT_EQ(run.wait(), 128 + signal) << run.output();
    // Ended before the head office answered: the wait was cut short.
    EXPECT_EQ(sim.output().find(" script "), std::string::npos) << sim.output();
    EXPECT_NE(run.output().find("tavrix-upload: stopped by SIG"), std::string::npos);

    // Sent but never confirmed: nothing is marked.
    localdb::SqlConnection c;
    fixtures::configureTill(c, tillDsn);
    localdb::SqlQuery marked(c);
    marked.setSql("SELECT COUNT(*) FROM LOC_MAIN WHERE TRN_CODE = 'Y'");
    marked.open();
    EXPECT_EQ(marked.field(0).asString(), "0");
    c.close();

    sim.restart();
    till.write("httpset.ini", sim.httpsetIni());
    ChildProcess rest({upload(), "0", "--auto", "--intervals", "10,10"});
    EXPECT_EQ(rest.wait(), 0) << rest.output();
    expectEveryRecordDelivered(tillDsn, sim.dsn());
  }
}

// Over HTTPS, with the head office's authority given to the till; with a
// certificate from another one, the run fails saying so and marks nothing.
// The service password never reaches the run log, status.json or stderr.
TEST(TavrixUpload, OverHttpsEveryRecordArrivesAndAnUntrustedHeadOfficeGetsNothing) {
  testing::TempFolder keys;
  testing::TestAuthority authority, stranger("Stranger Authority");
  for (auto [name, identity] :
       {std::pair{"good", authority.issue()}, std::pair{"foreign", stranger.issue()}}) {
    keys.write(std::string(name) + ".pem", identity.certificatePem);
    keys.write(std::string(name) + ".key", identity.keyPem);
  }
  SimProcess sim(
      {"--tls-cert", keys.path() + "foreign.pem", "--tls-key", keys.path() + "foreign.key"});
  Till till(sim);
  std::string tillFolder = till.path;
  till.write("authority.pem", authority.pem());
  till.write("httpset.ini", sim.httpsetIni() + "scheme=https\r\nca_file=authority.pem\r\n");
  ChildProcess refused({upload(), "0"});
  EXPECT_EQ(refused.wait(), 1);
  EXPECT_NE(refused.output().find("from an issuer not trusted here"), std::string::npos)
      << refused.output();
  std::string status = till.read("status.json");
  EXPECT_NE(status.find("from an issuer not trusted here"), std::string::npos) << status;
  std::string log;
  for (const auto& day : std::filesystem::directory_iterator(tillFolder + "log"))
    log += till.read("log/" + day.path().filename().string());
  EXPECT_NE(log.find("from an issuer not trusted here"), std::string::npos);
  // The reason names the authorities file in the till folder: whole where
  // UTF-8 is written, with "?" for what Big5 lacks in the Big5 run log.
  std::string caFile = tillFolder + "authority.pem";
  EXPECT_NE(status.find(caFile), std::string::npos) << status;
  EXPECT_NE(refused.output().find(caFile), std::string::npos) << refused.output();
  EXPECT_NE(log.find(text::utf8ToBig5(caFile)), std::string::npos) << log;
  EXPECT_EQ(log.find('\xFF'), std::string::npos);
  for (const std::string& where : {refused.output(), status, log})
    EXPECT_EQ(where.find("quietbell"), std::string::npos) << where;
  EXPECT_EQ(sim.output().find("#"), std::string::npos);  // not one request went in clear

  sim.restart({"--tls-cert", keys.path() + "good.pem", "--tls-key", keys.path() + "good.key"});
  till.write("httpset.ini", sim.httpsetIni() + "scheme=https\r\nca_file=authority.pem\r\n");
  ChildProcess run({upload(), "0", "--auto", "--intervals", "10,10"});
  EXPECT_EQ(run.wait(), 0) << run.output();
  expectEveryRecordDelivered(fixtures::tillDsn(tillFolder), sim.dsn());
}

// watch_minutes keeps --auto going with nothing pending, a daemon that
// SIGTERM ends; meanwhile a second uploader is refused and --status works.
// A killed uploader leaves no lock behind.
TEST(TavrixUpload, WatchMinutesMakeADaemonAndOneUploaderRunsATill) {
  SimProcess sim;
  Till till(sim);
  till.write("httpset.ini", sim.httpsetIni() + "[run]\r\nwatch_minutes=1\r\n");
  ChildProcess daemon({upload(), "0", "--auto", "--intervals", "10,10"});
  ASSERT_TRUE(daemon.waitFor("Record:0\n")) << daemon.output();
  ChildProcess second({upload(), "0"});
  EXPECT_EQ(second.wait(), 1);
  EXPECT_NE(second.output().find("another uploader is running on this till (process "),
            std::string::npos)
      << second.output();
  ChildProcess status({upload(), "--status"});
  EXPECT_EQ(status.wait(), 0);
  EXPECT_NE(
      status.output().find("settings boxes 1, catch_up 0, watch_minutes 1, foreign_sale_guard 1\n"),
      std::string::npos)
      << status.output();
  EXPECT_EQ(daemon.stop(), 143);  // still watching, and ended by SIGTERM

  ChildProcess killed({upload(), "0", "--auto", "--intervals", "10,10"});
  ASSERT_TRUE(killed.waitFor("Record:0\n"));
  killed.signal(SIGKILL);
  EXPECT_EQ(killed.wait(), 128 + SIGKILL);
  ChildProcess after({upload(), "0"});
  EXPECT_EQ(after.wait(), 0) << after.output();
}

TEST(TavrixUpload, StatusTellsWhatWaitsAndHowTheLastRunEnded) {
  SimProcess sim;
  Till till(sim);
  ChildProcess before({upload(), "--status", "--json"});
  EXPECT_EQ(before.wait(), 0);
  nlohmann::json j = nlohmann::json::parse(before.output());
  EXPECT_EQ(j["till"], till.path);
  EXPECT_EQ(j["machine"], "01");
  EXPECT_NE(j["client"].get<std::string>().find("libfbclient.so"), std::string::npos);
  ASSERT_EQ(j["kinds"].size(), kindTables().size());
  EXPECT_EQ(
      j["kinds"][0],
      (nlohmann::json{
          {"name", "sales"}, {"table", "LOC_MAIN"}, {"pending", 5}, {"oldest", "107/03/15"}}));
  EXPECT_TRUE(j["lastRun"].is_null());
  EXPECT_TRUE(sim.output().find("#") == std::string::npos);  // it contacted nobody

  ChildProcess run({upload()});
  EXPECT_EQ(run.wait(), 0);
  ChildProcess after({upload(), "--status"});
  EXPECT_EQ(after.wait(), 0);
  EXPECT_NE(after.output().find("sales         LOC_MAIN              4  107/03/15\n"),
            std::string::npos)
      << after.output();
  EXPECT_NE(after.output().find("\nlast run    ok, "), std::string::npos);

  ::setenv("TAVRIX_HOME", (till.folder.path() + "nowhere").c_str(), 1);
  ChildProcess unreadable({upload(), "--status"});
  EXPECT_EQ(unreadable.wait(), 1);
  EXPECT_NE(unreadable.output().find("cannot read the till's database"), std::string::npos);
  ChildProcess bad({upload(), "--json"});
  EXPECT_EQ(bad.wait(), 2);
}

TEST(TavrixUpload, FailuresAndUsage) {
  SimProcess sim;
  Till till(sim);
  till.write("httpset.ini", "[set]\r\nport=1\r\n");
  ChildProcess failed({upload()});
  EXPECT_EQ(failed.wait(), 1);
  EXPECT_NE(failed.output().find("! 錯誤的連線(主機).."), std::string::npos) << failed.output();
  EXPECT_NE(failed.output().find("tavrix-upload: the run failed: "), std::string::npos);

  // Mode 1: the first tick starts nothing and the timer stays off.
  ChildProcess oneDay({upload(), "1", "2018/03/15", "--auto", "--intervals", "10,10"});
  EXPECT_EQ(oneDay.wait(), 0);
  EXPECT_EQ(oneDay.output(), "Timer1...\n");

  ::remove((till.path + "MCH_NO.TXT").c_str());
  ChildProcess noMachine({upload(), "1"});
  EXPECT_EQ(noMachine.wait(), 1);  // the service is still unreachable
  EXPECT_NE(noMachine.output().find("[Cannot open file \"" + till.path + "MCH_NO.TXT\""),
            std::string::npos)
      << noMachine.output();

  // A lock file that cannot be opened is no other uploader.
  std::filesystem::remove(till.path + "uploader.lock");
  std::filesystem::create_directory(till.path + "uploader.lock");
  ChildProcess unlockable({upload(), "0"});
  EXPECT_EQ(unlockable.wait(), 1);
  EXPECT_EQ(unlockable.output(), "tavrix-upload: cannot open the till's lock file \"" + till.path +
                                     "uploader.lock\": Is a directory\n");

  ChildProcess version({upload(), "--version"});
  EXPECT_EQ(version.wait(), 0);
  EXPECT_EQ(version.output().substr(0, 30), "tavrix-upload " TAVRIX_VERSION " (revision ")
      << version.output();
  EXPECT_NE(version.output().find("\ntls      OpenSSL 3"), std::string::npos);
  EXPECT_NE(version.output().find("\nclient   /"), std::string::npos);

  ChildProcess bad({upload(), "--bogus"});
  EXPECT_EQ(bad.wait(), 2);
  // Only a service manager starts the service; from a console it says so.
  ChildProcess service({upload(), "--service"});
  EXPECT_EQ(service.wait(), 2);
  EXPECT_NE(service.output().find("is for the Windows service manager"), std::string::npos)
      << service.output();
  ChildProcess help({upload(), "--help"});
  EXPECT_EQ(help.wait(), 0);
  EXPECT_NE(help.output().find("--intervals"), std::string::npos);
}

}  // namespace
}  // namespace tavrix

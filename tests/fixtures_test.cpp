#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>

#include "platform/localdb/admin.h"
#include "platform/localdb/connection.h"
#include "platform/localdb/query.h"
#include "platform/text/number_text.h"
#include "tests/support/error_text.h"
#include "tools/fixtures/till_fixture.h"
#include "tools/schema/schemas.h"

namespace tavrix {
namespace {

using fixtures::TillFixtureOptions;

// A till folder made by the fixture under /tmp, dropped and removed at the end.
struct Till {
  explicit Till(const TillFixtureOptions& o) : options(o) {
    char pattern[] = "/tmp/tavrix-till-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("cannot make a temporary folder");
    folder = std::string(pattern) + "/";
    std::filesystem::permissions(folder, std::filesystem::perms::all);
    fixtures::makeTillFolder(folder, options);
    fixtures::configureTill(db, fixtures::tillDsn(folder, options), options);
  }
  ~Till() {
    db.close();
    try {
      localdb::dropDatabase(fixtures::tillDsn(folder, options), options.user, options.password);
    } catch (...) {
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  std::string file(const std::string& name) const {
    std::ifstream in(folder + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Every row, sorted on all its columns.
  std::string dump(const std::string& table) {
    localdb::SqlQuery q(db);
    q.setSql("SELECT * FROM " + table);
    q.open();
    std::string sql = "SELECT * FROM " + table + " ORDER BY 1";
    for (int i = 2; i <= q.fieldCount(); ++i) sql += ", " + std::to_string(i);
    q.close();
    q.setSql(sql);
    std::string out;
    for (q.open(); !q.eof(); q.next(), out += "\n")
      for (int i = 0; i < q.fieldCount(); ++i)
        out += (q.field(i).isNull() ? "<null>" : q.field(i).asString()) + "|";
    return out;
  }
  int64_t count(const std::string& table, const std::string& where, const char* what = "*") {
    localdb::SqlQuery q(db);
    q.setSql("SELECT COUNT(" + std::string(what) + ") FROM " + table + " WHERE " + where);
    q.open();
    return text::parseInteger(q.field(0).asString()).value_or(-1);
  }
  TillFixtureOptions options;
  std::string folder;
  localdb::SqlConnection db;
};

class TillFixture : public ::testing::Test {
 protected:
  // 0 and 1: seed 7, 1 with other service settings; 2: seed 8.
  static Till& till(int which) {
    if (!tills_[which]) {
      TillFixtureOptions o;
      o.seed = which == 2 ? 8 : 7;
      o.machineNo = "07";
      if (which == 1) o.host = "10.0.0.9", o.port = 8080;
      tills_[which] = std::make_unique<Till>(o);
    }
    return *tills_[which];
  }
  static void TearDownTestSuite() {
    for (auto& t : tills_) t.reset();
  }
  static inline std::unique_ptr<Till> tills_[3];
};

TEST_F(TillFixture, SameSeedSameRecordsOtherSeedOthers) {
  for (const auto& t : fixtures::countRows(till(0).db))
    EXPECT_EQ(till(0).dump(t.table), till(1).dump(t.table)) << t.table;
  EXPECT_NE(till(0).dump("LOC_MAIN"), till(2).dump("LOC_MAIN"));
  EXPECT_NE(till(0).dump("LOC_MAST"), till(2).dump("LOC_MAST"));
}

TEST_F(TillFixture, EveryTableOfTheSchemaHasUntransferredRows) {
  std::set<std::string> schemaTables, counted;
  std::string_view script = schema::till();
  for (size_t at = script.find("CREATE TABLE "); at != script.npos;
       at = script.find("CREATE TABLE ", at + 1))
    schemaTables.emplace(script.substr(at + 13, script.find(' ', at + 13) - at - 13));
  for (const auto& t : fixtures::countRows(till(0).db)) {
    counted.insert(t.table);
    EXPECT_GT(t.rows, 0) << t.table;
    if (t.table != "LOC_PDC" && t.table != "LOC_TYPE") {
      EXPECT_EQ(till(0).count(t.table, "TRN_CODE IS NOT NULL"), 0) << t.table;
    }
  }
  EXPECT_EQ(counted, schemaTables);
}

TEST_F(TillFixture, RecordsCoverTheHardCases) {
  const char* const kCases[][2] = {
      {"LOC_MAST M", "EXISTS (SELECT 1 FROM LOC_PDC P WHERE P.PROD_ID = M.PDC_NO)"},
      {"LOC_MAST M", "EXISTS (SELECT 1 FROM LOC_PDC P WHERE P.BAR_CODE = M.PDC_NO)"},
      {"LOC_MAST M",
       "NOT EXISTS (SELECT 1 FROM LOC_PDC P WHERE M.PDC_NO IN (P.PROD_ID, P.BAR_CODE))"},
      {"DECCASH_SUB D",
       "EXISTS (SELECT 1 FROM DECCASH_SUB E WHERE E.SAL_DATE = D.SAL_DATE AND "
       "E.SAL_NO = D.SAL_NO AND E.ICCARD_ID <> D.ICCARD_ID)"},
      {"LOC_DAY", "TIME_OUT IS NULL"},
      {"LOC_MAIN", "VISA IS NULL"},
      {"LOC_MAIN_CHG", "VISA = ''"},
      {"LOC_MAST", "SAL_QTY = '1.5'"},
      {"LOC_MAST", "SAL_QTY = '-1'"},
      {"LOC_MAST", "PAK_QTY = ''"},
      {"LOC_MAST", "POSITION('''' IN TASTE) > 0"},
      {"LOC_MAST", "POSITION(';' IN TASTE) > 0"},
      {"LOC_KEY", "POSITION('%' IN KEY_NAME) > 0"},
      {"LOC_PDC", "DEF_PROFIT = '12.5'"},
  };
  for (const auto& [table, where] : kCases) EXPECT_GT(till(0).count(table, where), 0) << where;

  // One lower-case sale number, so that nearly every record can transfer.
  EXPECT_EQ(till(0).count("LOC_MAIN", "SAL_NO <> UPPER(SAL_NO)"), 1);
  for (const char* table : {"LOC_MAST", "LOC_MAID", "LOC_MASD", "LOC_MAIN_CHG", "LOC_MAST_CHG",
                            "POINT_MASTER", "DECCASH_SUB", "CREDIT_CARD", "LOC_DELE", "LOC_KEY"})
    EXPECT_LE(till(0).count(table, "SAL_NO <> UPPER(SAL_NO)", "DISTINCT SAL_NO"), 1) << table;
}

TEST_F(TillFixture, Big5NamesComeBackByteForByte) {
  localdb::SqlQuery q(till(0).db);
  q.setSql("SELECT PDC_NAME FROM LOC_PDC ORDER BY PROD_ID");
  std::string names;
  for (q.open(); !q.eof(); q.next()) names += q.field(0).asString() + "|";
  EXPECT_EQ(names.substr(0, 9), "\xB3\x5C\xA4\xF3\xAC\xF5\xAF\xF9|");  // 許氏紅茶
  EXPECT_NE(names.find("\xB7\x7C"), std::string::npos);                // 會
}

TEST_F(TillFixture, WritesTheSettingsFilesAndNeverOverwritesADatabase) {
  EXPECT_EQ(till(1).file("MCH_NO.TXT"), "07\r\n");
  EXPECT_EQ(till(1).file("httpset.ini"),
            "[set]\r\nhost=10.0.0.9\r\nport=8080\r\nuser_name=SYSDBA\r\npassword=quietbell\r\n"
            "driver=ado\r\ndataname=POSDATA.GDB\r\ndataip=127.0.0.1\r\n");
  std::string before = till(1).dump("LOC_MAIN");
  EXPECT_NE(testing::errorOf([] {
              fixtures::makeTillFolder(till(1).folder, till(1).options);
            }).find("already exists"),
            std::string::npos);
  EXPECT_EQ(till(1).dump("LOC_MAIN"), before);
}

}  // namespace
}  // namespace tavrix

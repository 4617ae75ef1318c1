#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>

#include "platform/localdb/admin.h"
#include "platform/localdb/connection.h"
#include "platform/localdb/query.h"
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
  // Every row as "value|value|...|", in no particular order.
  std::multiset<std::string> select(const std::string& sql) {
    localdb::SqlQuery q(db);
    q.setSql(sql);
    std::multiset<std::string> rows;
    for (q.open(); !q.eof(); q.next()) {
      std::string row;
      for (int i = 0; i < q.fieldCount(); ++i)
        row += (q.field(i).isNull() ? "<null>" : q.field(i).asString()) + "|";
      rows.insert(row);
    }
    return rows;
  }
  int count(const std::string& from) {
    return std::stoi(*select("SELECT COUNT(*) FROM " + from).begin());
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

TEST_F(TillFixture, FillsEveryTableOfTheSchemaTheSameForTheSameSeed) {
  std::set<std::string> schemaTables, filled;
  std::string_view script = schema::till();
  for (size_t at = script.find("CREATE TABLE "); at != script.npos;
       at = script.find("CREATE TABLE ", at + 1))
    schemaTables.emplace(script.substr(at + 13, script.find(' ', at + 13) - at - 13));
  auto rows = [](int which, const std::string& table) {
    return till(which).select("SELECT * FROM " + table);
  };
  for (const auto& t : fixtures::countRows(till(0).db)) {
    if (t.rows > 0 && t.transferred == 0) filled.insert(t.table);
    EXPECT_EQ(rows(0, t.table), rows(1, t.table)) << t.table;
  }
  EXPECT_EQ(filled, schemaTables);
  EXPECT_NE(rows(0, "LOC_MAST"), rows(2, "LOC_MAST"));  // another seed
}

TEST_F(TillFixture, RecordsCoverTheHardCases) {
  const char* const kCases[] = {
      "LOC_MAST M WHERE EXISTS (SELECT 1 FROM LOC_PDC P WHERE P.PROD_ID = M.PDC_NO)",
      "LOC_MAST M WHERE EXISTS (SELECT 1 FROM LOC_PDC P WHERE P.BAR_CODE = M.PDC_NO)",
      "LOC_MAST M WHERE NOT EXISTS (SELECT 1 FROM LOC_PDC P WHERE M.PDC_NO IN (PROD_ID, BAR_CODE))",
      "DECCASH_SUB D WHERE EXISTS (SELECT 1 FROM DECCASH_SUB E WHERE E.SAL_DATE = D.SAL_DATE AND "
      "E.SAL_NO = D.SAL_NO AND E.ICCARD_ID <> D.ICCARD_ID)",
      "LOC_DAY WHERE TIME_OUT IS NULL",
      "LOC_MAIN WHERE VISA IS NULL",
      "LOC_MAIN_CHG WHERE VISA = ''",
      "LOC_MAST WHERE SAL_QTY = '1.5'",
      "LOC_MAST WHERE SAL_QTY = '-1'",
      "LOC_MAST WHERE PAK_QTY = ''",
      "LOC_MAST WHERE POSITION('''' IN TASTE) > 0",
      "LOC_MAST WHERE POSITION(';' IN TASTE) > 0",
      "LOC_KEY WHERE POSITION('%' IN KEY_NAME) > 0",
      "LOC_PDC WHERE DEF_PROFIT = '12.5'",
  };
  for (const char* from : kCases) EXPECT_GT(till(0).count(from), 0) << from;
  // One lower-case sale number, so that nearly every record can transfer.
  EXPECT_EQ(till(0).count("LOC_MAIN WHERE SAL_NO <> UPPER(SAL_NO)"), 1);

  // Big5 second bytes "\" and "|" come back byte for byte.
  auto names = till(0).select("SELECT PDC_NAME FROM LOC_PDC");
  EXPECT_EQ(names.count("\xB3\x5C\xA4\xF3\xAC\xF5\xAF\xF9|"), 1u);                  // 許氏紅茶
  EXPECT_EQ(names.count("\xB7\x7C\xAD\xFB\xAF\x53\xBD\xD5\xA5\xA4\xAF\xF9|"), 1u);  // 會員特調奶茶
}

TEST_F(TillFixture, WritesTheSettingsFilesAndNeverOverwritesADatabase) {
  EXPECT_EQ(till(1).file("MCH_NO.TXT"), "07\r\n");
  EXPECT_EQ(till(1).file("httpset.ini"),
            "[set]\r\nhost=10.0.0.9\r\nport=8080\r\nuser_name=SYSDBA\r\npassword=quietbell\r\n"
            "driver=ado\r\ndataname=POSDATA.GDB\r\ndataip=127.0.0.1\r\n");
  EXPECT_NE(testing::errorOf([] {
              fixtures::makeTillFolder(till(1).folder, till(1).options);
            }).find("already exists"),
            std::string::npos);
  EXPECT_EQ(till(1).select("SELECT * FROM LOC_MAIN"), till(0).select("SELECT * FROM LOC_MAIN"));
}

}  // namespace
}  // namespace tavrix

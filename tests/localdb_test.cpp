#include <gtest/gtest.h>

#include <memory>

#include "platform/errors.h"
#include "platform/localdb/admin.h"
#include "platform/localdb/connection.h"
#include "platform/localdb/query.h"
#include "platform/localdb/statement.h"
#include "tests/support/error_text.h"
#include "tests/support/temp_database.h"

namespace tavrix::localdb {
namespace {

using dataset::FieldType;
using dataset::Value;
using testing::errorOf;
using testing::TempDatabase;

// 許功蓋會是 with a bar and a backslash: second bytes 0x5C, 0x7C and a letter.
const std::string kBig5 = "\xB3\x5C\xA5\x5C\xBB\x5C\xB7\x7C\xAC\x4F|\\";

const char* kSchema = R"(
CREATE TABLE LOC_MAIN (SAL_DATE VARCHAR(9), SAL_NO VARCHAR(10), TRN_CODE VARCHAR(1),
  NAME VARCHAR(40), CODE CHAR(10), QTY SMALLINT, N INTEGER, BIG BIGINT,
  AMT NUMERIC(15,2), RATE DOUBLE PRECISION, F FLOAT, D DATE, T TIME, TS TIMESTAMP,
  NOTE BLOB SUB_TYPE 1, PIC BLOB SUB_TYPE 0, OK BOOLEAN);
INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, TRN_CODE, CODE) VALUES ('107/03/15', '0001', NULL, 'AB');
INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, TRN_CODE) VALUES ('107/03/15', '0002', 'Y');
INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, TRN_CODE) VALUES ('107/03/16', '0003', '*');
INSERT INTO LOC_MAIN (SAL_DATE, SAL_NO, TRN_CODE) VALUES ('107/03/16', '0004', 'N');
)";

class LocalDb : public ::testing::Test {
 protected:
  void SetUp() override {
    database_ = std::make_unique<TempDatabase>(kSchema);
    database_->configure(con_);
  }
  std::unique_ptr<TempDatabase> database_;
  SqlConnection con_;
};

TEST(Connection, ParameterListKeepsOrderAndDropsEmptyValues) {
  SqlConnection c;
  c.setParam("Database", "database.gdb");
  c.setParam("RoleName", "RoleName");
  c.setParam("ServerCharSet", "");
  c.setParam("User_Name", "sysdba");
  c.setParam("database", "127.0.0.1:/x/POS_LOC.GDB");
  c.setParam("ROLENAME", "");
  SqlConnection::Params expected = {{"Database", "127.0.0.1:/x/POS_LOC.GDB"},
                                    {"User_Name", "sysdba"}};
  EXPECT_EQ(c.params(), expected);
  EXPECT_EQ(c.param("USER_NAME"), "sysdba");
  EXPECT_EQ(c.param("Password"), "");
  EXPECT_FALSE(c.connected());
}

TEST_F(LocalDb, Big5TextGoesInAndComesBackByteForByte) {
  SqlStatement st(con_);
  st.setSql("UPDATE LOC_MAIN SET NAME = '" + kBig5 + "' WHERE SAL_NO = '0001'");
  st.execute();
  SqlQuery q(con_);
  q.setSql("SELECT NAME, CODE FROM LOC_MAIN WHERE NAME = '" + kBig5 + "'");
  q.open();
  ASSERT_FALSE(q.eof());
  EXPECT_EQ(q.fieldByName("NAME").asString(), kBig5);
  // CHAR values keep their padding.
  EXPECT_EQ(q.fieldByName("CODE").asString(), "AB        ");
  EXPECT_EQ(q.fieldByName("CODE").def().size, 10);
  EXPECT_TRUE(q.fieldByName("CODE").def().fixedChar);
}

TEST_F(LocalDb, TrimCharTrueTrimsFixedLengthText) {
  con_.setParam("Trim Char", "True");
  SqlQuery q(con_);
  q.setSql("SELECT CODE FROM LOC_MAIN WHERE SAL_NO = '0001'");
  q.open();
  EXPECT_EQ(q.field(0).asString(), "AB");
}

TEST_F(LocalDb, RecordCountOfAFirstOnePickCountsEveryMatchingRow) {
  SqlQuery q(con_);
  q.setSql("select FIRST 1 * FROM LOC_MAIN WHERE TRN_CODE IS NULL OR TRN_CODE <> 'Y' ");
  q.open();
  EXPECT_FALSE(q.eof());
  EXPECT_EQ(q.recordCount(), 3);
  q.next();
  EXPECT_TRUE(q.eof());
  q.first();  // runs again: back on the one row
  EXPECT_FALSE(q.eof());

  q.close();
  q.setSql(
      "select SAL_DATE,COUNT(*) FROM LOC_MAIN where TRN_CODE IS NULL OR TRN_CODE <> 'Y' "
      "GROUP BY SAL_DATE ");
  q.open();
  EXPECT_EQ(q.recordCount(), 2);
  q.close();
  q.setSql("select FIRST 1 * FROM LOC_MAIN WHERE TRN_CODE = 'Q' ");
  q.open();
  EXPECT_TRUE(q.eof());
  EXPECT_EQ(q.recordCount(), 0);
}

TEST_F(LocalDb, ValuesReadAsTextByTheirType) {
  SqlStatement st(con_);
  st.setSql(
      "UPDATE LOC_MAIN SET QTY = -2, N = 70000, BIG = 9000000000, AMT = 12.50, RATE = 1e0/3, "
      "F = 1.5, D = '2018-03-15', T = '09:05:07.1234', TS = '2018-03-15 13:04:00', "
      "NOTE = 'line1' || ASCII_CHAR(13) || ASCII_CHAR(10) || 'line2', PIC = x'00FF10', "
      "OK = TRUE WHERE SAL_NO = '0001'");
  st.execute();
  st.setSql("UPDATE LOC_MAIN SET TS = '2018-03-16 00:00:00', AMT = -0.05 WHERE SAL_NO = '0002'");
  st.execute();

  SqlQuery q(con_);
  q.sql().add("SELECT SAL_NO, QTY, N, BIG, AMT, RATE, F, D, T, TS, NOTE, PIC, OK, TRN_CODE");
  q.sql().add("FROM LOC_MAIN WHERE SAL_NO IN ('0001', '0002') ORDER BY SAL_NO");
  q.open();
  auto text = [&](const char* name) { return q.fieldByName(name).asString(); };
  EXPECT_EQ(text("QTY"), "-2");
  EXPECT_EQ(text("N"), "70000");
  EXPECT_EQ(text("BIG"), "9000000000");
  EXPECT_EQ(text("AMT"), "12.5");
  EXPECT_EQ(text("RATE"), "0.333333333333333");
  EXPECT_EQ(text("F"), "1.5");
  EXPECT_EQ(text("D"), "2018/03/15");
  EXPECT_EQ(text("T"), "09:05:07");
  EXPECT_EQ(text("TS"), "2018/03/15 13:04:00");
  EXPECT_EQ(text("NOTE"), "line1\r\nline2");
  EXPECT_EQ(text("PIC"), std::string("\0\xFF\x10", 3));
  EXPECT_EQ(text("OK"), "True");
  EXPECT_EQ(text("TRN_CODE"), "");
  EXPECT_TRUE(q.fieldByName("TRN_CODE").isNull());
  EXPECT_EQ(q.fieldByName("AMT").asFloat(), 12.5);
  EXPECT_EQ(q.fieldByName("T").value(), Value::time({9, 5, 7, 123}));

  std::vector<std::pair<const char*, FieldType>> types = {
      {"QTY", FieldType::Int16}, {"N", FieldType::Int32},      {"BIG", FieldType::Int64},
      {"AMT", FieldType::Bcd},   {"RATE", FieldType::Double},  {"D", FieldType::Date},
      {"T", FieldType::Time},    {"TS", FieldType::Timestamp}, {"NOTE", FieldType::Memo},
      {"PIC", FieldType::Blob},  {"OK", FieldType::Boolean},   {"SAL_NO", FieldType::String}};
  for (auto [name, type] : types) EXPECT_EQ(q.fieldByName(name).def().type, type) << name;
  EXPECT_EQ(q.fieldByName("AMT").def().scale, 2);

  q.next();
  EXPECT_EQ(text("SAL_NO"), "0002");
  EXPECT_EQ(text("TS"), "2018/03/16");
  EXPECT_EQ(text("AMT"), "-0.05");
  EXPECT_EQ(text("QTY"), "");
  EXPECT_EQ(q.fieldByName("QTY").asFloat(), 0);
  q.next();
  EXPECT_TRUE(q.eof());
  // Past the last row every field reads as null.
  EXPECT_EQ(text("SAL_NO"), "");
  q.first();
  EXPECT_EQ(text("SAL_NO"), "0001");
}

TEST_F(LocalDb, FieldsByNameOrPosition) {
  SqlQuery q(con_);
  q.setSql("SELECT SAL_DATE, SAL_NO AS NUM FROM LOC_MAIN WHERE SAL_NO = '0003'");
  q.open();
  EXPECT_EQ(q.fieldCount(), 2);
  EXPECT_EQ(q.field(0).asString(), "107/03/16");
  EXPECT_EQ(q.fieldByName("num").asString(), "0003");
  EXPECT_EQ(q.fieldByName("Sal_Date").name(), "SAL_DATE");
  EXPECT_EQ(errorOf([&] { q.fieldByName("PDC_NO"); }), "Field 'PDC_NO' not found");
  EXPECT_EQ(errorOf([&] { q.field(2); }), "Field index out of range (2)");
}

TEST_F(LocalDb, AClosedConnectionOpensItselfAndEachStatementCommitsByItself) {
  EXPECT_FALSE(con_.connected());
  SqlStatement st(con_);
  st.setSql("UPDATE LOC_MAIN SET TRN_CODE = 'Y' WHERE SAL_DATE = '107/03/16'");
  st.execute();
  EXPECT_TRUE(con_.connected());

  // A second connection sees the change at once.
  SqlConnection other;
  database_->configure(other);
  SqlQuery q(other);
  q.setSql("SELECT COUNT(*) FROM LOC_MAIN WHERE TRN_CODE = 'Y'");
  q.open();
  EXPECT_EQ(q.field(0).asString(), "3");

  // Closing the connection closes its queries; the next one reopens it.
  SqlQuery pick(con_);
  pick.setSql("SELECT * FROM LOC_MAIN");
  pick.open();
  con_.close();
  EXPECT_FALSE(pick.active());
  pick.open();
  EXPECT_TRUE(con_.connected());
  EXPECT_FALSE(pick.eof());
}

TEST_F(LocalDb, AMarkWhileThePickIsOpenDoesNotWait) {
  SqlQuery pick(con_);
  pick.setSql("select FIRST 1 * FROM LOC_MAIN WHERE TRN_CODE IS NULL ");
  pick.open();
  SqlStatement mark(con_);
  mark.setSql("UPDATE LOC_MAIN SET TRN_CODE = 'Y' WHERE SAL_NO = '" +
              pick.fieldByName("SAL_NO").asString() + "'");
  mark.execute();
  pick.close();
  pick.open();
  EXPECT_TRUE(pick.eof());
}

TEST_F(LocalDb, ALostConnectionOpensAgainOnTheNextStatement) {
  SqlQuery q(con_);
  q.setSql("SELECT COUNT(*) FROM LOC_MAIN");
  q.open();
  q.close();
  // The server shuts the attachment down, as a restart would.
  database_->exec("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION");
  EXPECT_NE(errorOf([&] { q.open(); }), "(no error)");
  EXPECT_FALSE(con_.connected());
  q.open();
  EXPECT_EQ(q.field(0).asString(), "4");
  SqlStatement st(con_);
  database_->exec("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION");
  st.setSql("UPDATE LOC_MAIN SET TRN_CODE = NULL");
  EXPECT_NE(errorOf([&] { st.execute(); }), "(no error)");
  st.execute();
}

TEST_F(LocalDb, ServerErrorsCarryTheServersOwnText) {
  SqlQuery q(con_);
  q.setSql("SELECT * FROM NO_SUCH_TABLE");
  std::string missing = errorOf([&] { q.open(); });
  EXPECT_NE(missing.find("Table unknown"), std::string::npos) << missing;
  EXPECT_NE(missing.find("NO_SUCH_TABLE"), std::string::npos) << missing;
  EXPECT_FALSE(q.active());

  q.setSql("SELECT NO_SUCH_COLUMN FROM LOC_MAIN");
  std::string column = errorOf([&] { q.open(); });
  EXPECT_NE(column.find("NO_SUCH_COLUMN"), std::string::npos) << column;

  q.setSql("UPDATE LOC_MAIN SET TRN_CODE = 'Y'");
  EXPECT_EQ(errorOf([&] { q.open(); }), "Cursor not returned from Query");

  SqlStatement st(con_);
  st.setSql("UPDATE LOC_MAIN SET TRN_CODE = 'TOO LONG' WHERE SAL_NO = '0001'");
  std::string overflow = errorOf([&] { st.execute(); });
  EXPECT_NE(overflow.find("string right truncation"), std::string::npos) << overflow;
}

TEST_F(LocalDb, AWrongPasswordOrAMissingServerIsAClearError) {
  con_.setParam("Password", "wrong");
  SqlQuery q(con_);
  q.setSql("SELECT * FROM LOC_MAIN");
  std::string login = errorOf([&] { q.open(); });
  EXPECT_NE(login.find("password"), std::string::npos) << login;
  EXPECT_FALSE(con_.connected());

  SqlConnection nowhere;
  database_->configure(nowhere);
  nowhere.setParam("Database", "127.0.0.1/3059:" + database_->folder() + "TEST.FDB");
  std::string network = errorOf([&] { nowhere.open(); });
  EXPECT_NE(network.find("Unable to complete network request"), std::string::npos) << network;
}

TEST(CountStatement, DropsFirstAndSkipAndCountsConstantRows) {
  EXPECT_EQ(countStatement("select FIRST 1 * FROM LOC_MAIN WHERE TRN_CODE <> 'Y' "),
            "SELECT COUNT(*) FROM (SELECT 1 AS ONE FROM LOC_MAIN WHERE TRN_CODE <> 'Y')");
  EXPECT_EQ(countStatement("SELECT FIRST (2) SKIP 3 a, a FROM t ORDER BY a;\r\n"),
            "SELECT COUNT(*) FROM (SELECT 1 AS ONE FROM t )");
  EXPECT_EQ(countStatement("select 'from', (select max(x) from u) from t where y = 'from'"),
            "SELECT COUNT(*) FROM (SELECT 1 AS ONE from t where y = 'from')");
  EXPECT_EQ(countStatement("select distinct a from t"),
            "SELECT COUNT(*) FROM (SELECT  distinct a from t)");
  EXPECT_EQ(countStatement("select a from t union select b from u"),
            "SELECT COUNT(*) FROM (SELECT  a from t union select b from u)");
}

TEST(Admin, SplitsScriptsOutsideLiteralsAndComments) {
  auto parts = splitStatements(
      "INSERT INTO T VALUES ('a;b', 'it''s');\n-- a comment; here\n"
      "/* block; */ UPDATE \"X;Y\" SET A = 1 ;  ; \n DELETE FROM T");
  std::vector<std::string> expected = {"INSERT INTO T VALUES ('a;b', 'it''s')",
                                       "UPDATE \"X;Y\" SET A = 1", "DELETE FROM T"};
  EXPECT_EQ(parts, expected);
}

}  // namespace
}  // namespace tavrix::localdb

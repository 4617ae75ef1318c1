// The simulated head office, driven by the program's own client.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/localdb/connection.h"
#include "platform/localdb/query.h"
#include "service/insert_sql.h"
#include "service/multipart_form.h"
#include "tests/support/error_text.h"
#include "tests/support/service_fixture.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_database.h"
#include "upload/data_kinds.h"
#include "upload/statement_template.h"

namespace tavrix {
namespace {

using dataset::DataSet;
using dataset::FieldType;
using testing::ChildProcess;
using testing::ServiceUnderTest;
using testing::SimProcess;

const std::string kProbe = "SELECT FIRST 1 * FROM POS_MASTER WHERE SAL_DATE = '0000/00/00' ";
const std::string kXu = "\xB3\x5C", kGai = "\xBB\x5C";  // 許 蓋

int64_t countRows(const SimProcess& sim, const std::string& where) {
  localdb::SqlConnection c;
  c.setParam("Database", sim.dsn());
  c.setParam("User_Name", testing::kUser);
  c.setParam("Password", testing::kPassword);
  localdb::SqlQuery q(c);
  q.setSql("SELECT COUNT(*) FROM POS_MASTER WHERE " + where);
  q.open();
  return *q.field(0).value().get<int64_t>();
}

TEST(HeadOffice, AProbeGivesTheColumnsInOrderWithTheirTypes) {
  SimProcess sim;
  ServiceUnderTest s(sim.httpsetIni());
  DataSet ds;
  s.http.OpenRemote(ds, kProbe);
  EXPECT_EQ(ds.recordCount(), 0);
  ASSERT_EQ(ds.fieldCount(), 63);
  EXPECT_EQ(ds.field(0).name(), "SAL_DATE");
  EXPECT_EQ(ds.field(62).name(), "RECEIPT");
  std::vector<std::tuple<const char*, FieldType, int>> expected = {
      {"SAL_DATE", FieldType::String, 10}, {"CLASS_NO", FieldType::String, 2},
      {"SAL_AMT", FieldType::Double, 0},   {"DISCOUNT", FieldType::Bcd, 18},
      {"I_POINT", FieldType::Int32, 0},    {"CONSUMER", FieldType::Int16, 0},
      {"CHG_DATE", FieldType::Date, 0},    {"UPLOAD_TIME", FieldType::Timestamp, 0},
      {"AUDIT_NO", FieldType::Int64, 0},   {"REMARK", FieldType::Memo, 0},
      {"RECEIPT", FieldType::Blob, 0}};
  for (auto [name, type, size] : expected) {
    EXPECT_EQ(ds.fieldByName(name).type(), type) << name;
    EXPECT_EQ(ds.fieldByName(name).def().size, size) << name;
  }
  EXPECT_TRUE(ds.fieldByName("CLASS_NO").def().fixedChar);
  EXPECT_EQ(ds.fieldByName("DISCOUNT").def().scale, 2);

  DataSet machine;
  s.http.OpenRemote(machine, "SELECT MCH_NO,STOCK_ID,STORE_ID FROM MCH_ITEM WHERE MCH_NO = '01'");
  EXPECT_EQ(machine.field(1).asString() + machine.field(2).asString(), "W01S01");
}

TEST(HeadOffice, ARenderedRecordArrivesIntactAndAResendLeavesOneRow) {
  SimProcess sim;
  ServiceUnderTest s(sim.httpsetIni());
  DataSet staging;
  s.http.OpenRemote(staging, kProbe);
  staging.append();
  auto set = [&](const char* name, const std::string& v) {
    staging.fieldByName(name).setAsString(v);
  };
  set("SAL_DATE", "2018/03/15");
  set("SAL_NO", "A%1");
  set("MEMBER_ID", "Mary's;");
  set("CST_NO", kXu + "\xA5\x5C" + kGai + "|");
  set("CLASS_NO", "A");
  set("SAL_AMT", "12.5");
  set("DISCOUNT", "1.25");
  set("I_POINT", "42");
  set("CONSUMER", "-3");
  set("AUDIT_NO", "9000000000");
  set("CHG_DATE", "2018/03/15");
  set("UPLOAD_TIME", "2018/03/15 13:04:05");
  set("REMARK", "50% off\r\nnext line");
  set("RECEIPT", "binary data is never sent");
  staging.post();
  StatementBatch batch = {"DELETE FROM POS_MASTER   WHERE SAL_DATE = '2018/03/15'",
                          "                           AND SAL_NO   = 'A%1';",
                          BuildInsertSQL(staging, "POS_MASTER") + ";"};
  ASSERT_TRUE(s.http.ExecRemoteSQL(batch)) << s.http.LastMessage;
  ASSERT_TRUE(s.http.ExecRemoteSQL(batch)) << s.http.LastMessage;
  EXPECT_EQ(countRows(sim, "SAL_DATE = '2018/03/15'"), 1);

  DataSet found;
  s.http.OpenRemote(found,
                    "SELECT * FROM POS_MASTER WHERE SAL_DATE = '2018/03/15' AND SAL_NO = 'A%1'");
  ASSERT_EQ(found.recordCount(), 1);
  auto text = [&](const char* name) { return found.fieldByName(name).asString(); };
  EXPECT_EQ(text("SAL_NO"), "A%1");
  EXPECT_EQ(text("MEMBER_ID"), "Mary's-");
  EXPECT_EQ(text("CST_NO"), kXu + "\xA5\x5C" + kGai + "|");
  EXPECT_EQ(text("CLASS_NO"), "A ");
  EXPECT_EQ(text("SAL_AMT"), "12.5");
  EXPECT_EQ(text("DISCOUNT"), "1.25");
  EXPECT_EQ(text("I_POINT"), "42");
  EXPECT_EQ(text("CONSUMER"), "-3");
  EXPECT_EQ(text("AUDIT_NO"), "9000000000");
  EXPECT_EQ(text("CHG_DATE"), "2018/03/15");
  EXPECT_EQ(text("UPLOAD_TIME"), "2018/03/15 13:04:05");
  EXPECT_EQ(text("REMARK"), "50% off\r\nnext line");
  EXPECT_TRUE(found.fieldByName("RECEIPT").isNull());
  EXPECT_EQ(text("STORE_ID"), "");  // never filled: NULL
  EXPECT_EQ(text("GIVE"), "0");     // never filled: a number renders 0
}

TEST(HeadOffice, AFailingStatementChangesNothing) {
  SimProcess sim;
  ServiceUnderTest s(sim.httpsetIni());
  ASSERT_TRUE(s.http.ExecRemoteSQL(
      {"INSERT INTO POS_MASTER (SAL_DATE, SAL_NO) values('2018/03/15','0001');"}));
  EXPECT_FALSE(s.http.ExecRemoteSQL(
      {"DELETE FROM POS_MASTER WHERE SAL_DATE = '2018/03/15';",
       "INSERT INTO POS_MASTER (SAL_DATE, SAL_NO) values('2018/03/15','0002');",
       "INSERT INTO NO_SUCH_TABLE (A) values(1);"}));
  EXPECT_NE(s.http.LastMessage.find("NO_SUCH_TABLE"), std::string::npos) << s.http.LastMessage;
  EXPECT_TRUE(s.box.shown.empty());
  EXPECT_EQ(countRows(sim, "SAL_NO = '0001'"), 1);
  EXPECT_EQ(countRows(sim, "SAL_NO = '0002'"), 0);
}

TEST(HeadOffice, RefusalsComeAsResultTexts) {
  SimProcess sim({"--password", "secret"});
  ServiceUnderTest wrong(sim.httpsetIni());
  DataSet ds;
  EXPECT_EQ(testing::errorOf([&] { wrong.http.OpenRemote(ds, kProbe); }),
            "<RESULT>ERROR: LOGIN FAILED</RESULT>");
  EXPECT_FALSE(wrong.http.ExecRemoteSQL({"DELETE FROM POS_MASTER"}));
  ServiceUnderTest right(sim.httpsetIni() + "password=secret\r\n");
  EXPECT_EQ(testing::errorOf([&] { right.http.OpenRemote(ds, "DELETE FROM POS_MASTER"); }),
            "<RESULT>ERROR: ONLY SELECT IS ANSWERED HERE</RESULT>");
  std::string missing = testing::errorOf([&] { right.http.OpenRemote(ds, "SELECT * FROM NOPE"); });
  EXPECT_EQ(missing.substr(0, 15), "<RESULT>ERROR: ") << missing;
  EXPECT_NE(missing.find("NOPE"), std::string::npos) << missing;
  EXPECT_THROW(right.http.httpClient.post("http://127.0.0.1:" + std::to_string(sim.port()) + "/x",
                                          "text/plain", ""),
               HttpFailure);  // 404
}

// The head office answers only what a small head office reads: every
// question the till asks, and none of the shapes beyond it.
TEST(HeadOffice, AnswersPlainQuestionsOnly) {
  // A sale number with an apostrophe, a keyword and a line break in its literal.
  auto key = [](std::string_view name) -> std::string {
    return name == "date" ? "107/03/15" : name == "ad" ? "2018/03/15" : "O'UNION\nSELECT";
  };
  std::vector<std::string> asked = {
      "SELECT MCH_NO,STOCK_ID,STORE_ID FROM MCH_ITEM WHERE MCH_NO = '01'",
      "SELECT SAL_DATE,SAL_NO,MCH_NO FROM POS_MASTER WHERE MCH_NO <> '01' AND (SAL_DATE = "
      "'2018/03/14' AND SAL_NO >= '0007' AND SAL_NO <= '0009' OR SAL_DATE = '2018/03/15' AND "
      "SAL_NO >= 'a' OR (MCH_NO IS NULL))"};
  // Every kind's probes and verifications.
  for (const DataKind* kind : dataKinds()) {
    if (kind->byDate) asked.push_back(kind->byDate->probe);
    if (kind->byRecord)
      for (const RecordPart& part : kind->byRecord->parts)
        for (const char* q : {part.probe, part.verification}) asked.push_back(expand(q, key));
  }
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"SELECT 0 AS HELD_IN, SAL_NO FROM POS_MASTER", "NOT A PLAIN COLUMN: 0 AS HELD_IN"},
      {"SELECT SAL_NO FROM POS_MASTER UNION ALL SELECT SAL_NO FROM POS_MASTERD", "ONE SELECT ONLY"},
      {"SELECT SAL_NO FROM POS_MASTER WHERE SAL_NO IN (SELECT SAL_NO FROM POS_SUB)",
       "ONE SELECT ONLY"},
      {"SELECT M.SAL_NO FROM POS_MASTER M JOIN POS_SUB S ON S.SAL_NO = M.SAL_NO", "ONE TABLE ONLY"},
      {"SELECT SAL_NO FROM POS_MASTER JOIN POS_SUB ON 1 = 1", "ONE TABLE ONLY"},
      {"SELECT SAL_NO FROM POS_MASTER, POS_SUB", "ONE TABLE ONLY"},
      {"SELECT COUNT(*) FROM POS_MASTER", "NOT A PLAIN COLUMN: COUNT(*)"},
      {"SELECT DISTINCT SAL_NO FROM POS_MASTER", "NOT A PLAIN COLUMN: DISTINCT SAL_NO"},
      {"SELECT SAL_NO FROM POS_MASTER WHERE SAL_NO = 'X' GROUP BY SAL_NO",
       "NOT ANSWERED HERE: \"GROUP BY SAL_NO\""},
      {"SELECT SAL_NO FROM POS_MASTER ORDER BY SAL_NO", "NOT ANSWERED HERE: \"ORDER BY SAL_NO\""},
      {"SELECT SAL_NO FROM POS_MASTER WHERE UPPER(SAL_NO) = 'X'", "NOT A COMPARISON"},
      {"SELECT SAL_NO FROM POS_MASTER WHERE SAL_NO = 'X", "A LITERAL WITHOUT ITS CLOSING"}};

  SimProcess sim;
  ServiceUnderTest s(sim.httpsetIni());
  DataSet ds;
  for (const std::string& q : asked)
    EXPECT_EQ(testing::errorOf([&] { s.http.OpenRemote(ds, q); }), "(no error)") << q;
  for (const auto& [q, why] : refused)
    EXPECT_EQ(testing::errorOf([&] { s.http.OpenRemote(ds, q); }).find("<RESULT>ERROR: " + why), 0u)
        << q;

  // The oldest head offices: the specified questions, "=" and AND only.
  SimProcess oldest({"--equals-only"});
  ServiceUnderTest o(oldest.httpsetIni());
  EXPECT_EQ(testing::errorOf([&] { o.http.OpenRemote(ds, asked[0]); }), "(no error)");
  EXPECT_EQ(
      testing::errorOf([&] {
        o.http.OpenRemote(ds, asked[1]);
      }).find("<RESULT>ERROR: ONLY COLUMN = VALUE JOINED BY AND IS ANSWERED HERE, NOT \"<> '01'"),
      0u);
  SimProcess any({"--any-select"});
  ServiceUnderTest a(any.httpsetIni());
  EXPECT_EQ(testing::errorOf([&] { a.http.OpenRemote(ds, refused[1].first); }), "(no error)");
}

// Each fault, as the client sees it.
TEST(HeadOffice, FaultsReachTheClientAsTheyWould) {
  DataSet ds;
  {
    SimProcess sim({"--refuse", "query:1", "--refuse", "script:1"});
    ServiceUnderTest s(sim.httpsetIni());
    EXPECT_THROW(s.http.OpenRemote(ds, kProbe), SilentAbort);
    EXPECT_NO_THROW(s.http.OpenRemote(ds, kProbe));
    EXPECT_FALSE(s.http.ExecRemoteSQL({}));
    EXPECT_EQ(s.box.shown.size(), 1u);
    EXPECT_TRUE(s.http.ExecRemoteSQL({}));
  }
  {
    SimProcess sim({"--drop", "script:1", "--no-success", "1", "--chunked"});
    ServiceUnderTest s(sim.httpsetIni());
    EXPECT_NO_THROW(s.http.OpenRemote(ds, kProbe));  // chunked
    EXPECT_FALSE(s.http.ExecRemoteSQL({}));          // dropped (and not run)
    EXPECT_EQ(s.http.LastMessage, "Connection problem!\r\n");
    EXPECT_TRUE(s.http.ExecRemoteSQL({}));
  }
  {
    SimProcess sim({"--no-success", "1", "--fake-success", "1"});
    ServiceUnderTest s(sim.httpsetIni());
    StatementBatch insert = {"INSERT INTO MCH_ITEM (MCH_NO) values('09');"};
    EXPECT_FALSE(s.http.ExecRemoteSQL(insert));  // not run, and says so
    EXPECT_TRUE(s.box.shown.empty());
    EXPECT_TRUE(s.http.ExecRemoteSQL(insert));  // not run, but claims success
    DataSet machine;
    s.http.OpenRemote(machine, "SELECT * FROM MCH_ITEM WHERE MCH_NO = '09'");
    EXPECT_EQ(machine.recordCount(), 0);
  }
  {
    SimProcess sim({"--redirect", "query:14", "--redirect", "script:15"});
    ServiceUnderTest s(sim.httpsetIni());
    EXPECT_NO_THROW(s.http.OpenRemote(ds, kProbe));
    EXPECT_FALSE(s.http.ExecRemoteSQL({}));  // the 15th request is still a redirect
    EXPECT_EQ(s.http.LastMessage, "");
  }
  {
    SimProcess sim({"--delay", "600"});
    ServiceUnderTest s(sim.httpsetIni());
    s.http.httpClient.limits.timeout = std::chrono::milliseconds(200);
    EXPECT_THROW(s.http.OpenRemote(ds, kProbe), SilentAbort);
  }
}

// The batch is committed, yet not one byte of the reply comes back.
TEST(HeadOffice, ALostReplyLeavesTheBatchCommitted) {
  SimProcess sim({"--lose", "script:1"});
  ServiceUnderTest s(sim.httpsetIni());
  std::string form = multipartBody(
      {{"sql", "INSERT INTO POS_MASTER (SAL_DATE, SAL_NO) values('2018/03/15','0001');"}}, "b");
  std::string failure;
  try {
    s.http.httpClient.post(s.http.ScriptURL + "&user_name=SYSDBA&password=quietbell",
                           "multipart/form-data; boundary=b", form);
  } catch (const HttpFailure& e) {
    failure = e.what();
  }
  EXPECT_EQ(failure, "the connection closed without a reply");
  EXPECT_EQ(countRows(sim, "SAL_NO = '0001'"), 1);
  EXPECT_TRUE(s.http.ExecRemoteSQL({}));
}

TEST(HeadOffice, EveryRequestAndReplyCanBeRecordedRaw) {
  testing::TempFolder folder;
  std::string dir = folder.path() + "rec";
  {
    SimProcess sim({"--record", dir});
    ServiceUnderTest s(sim.httpsetIni());
    s.http.ExecRemoteSQL({"DELETE FROM MCH_ITEM WHERE MCH_NO = 'X'"});
    EXPECT_TRUE(sim.waitForOutput("#1 script 200")) << sim.output();
  }
  EXPECT_TRUE(std::filesystem::exists(dir + "/0001-request.http"));
  EXPECT_EQ(folder.read("rec/0001-request.http").substr(0, 32), "POST /Kesp/ado/sql_scripts.php?d");
  EXPECT_EQ(folder.read("rec/0001-reply.http").substr(0, 15), "HTTP/1.1 200 OK");
}

TEST(HeadOffice, CommandLineErrorsAreClear) {
  ChildProcess help({testing::simulatorPath(), "--help"});
  EXPECT_EQ(help.wait(), 0);
  for (const char* option :
       {"--database", "--create", "--machine", "--port", "--bind", "--user", "--password",
        "--record", "--delay", "--refuse", "--drop", "--redirect", "--lose", "--no-success",
        "--fake-success", "--chunked", "--any-select", "--equals-only"})
    EXPECT_NE(help.output().find(option), std::string::npos) << option;

  ChildProcess bad({testing::simulatorPath(), "--database", "x", "--bogus"});
  EXPECT_EQ(bad.wait(), 2);
  EXPECT_NE(bad.output().find("unknown option \"--bogus\""), std::string::npos);

  ChildProcess nowhere({testing::simulatorPath(), "--database", "127.0.0.1:/no/such/HO.FDB"});
  EXPECT_EQ(nowhere.wait(), 1);
  EXPECT_NE(nowhere.output().find("cannot open the database"), std::string::npos)
      << nowhere.output();

  SimProcess sim;
  ChildProcess clash(
      {testing::simulatorPath(), "--database", sim.dsn(), "--port", std::to_string(sim.port())});
  EXPECT_EQ(clash.wait(), 1);
  EXPECT_NE(clash.output().find("cannot listen on 127.0.0.1:" + std::to_string(sim.port())),
            std::string::npos)
      << clash.output();
}

}  // namespace
}  // namespace tavrix

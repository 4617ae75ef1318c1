// The bytes the client puts on the wire, compared whole with requests built
// here by hand for the same settings and clock.
#include <gtest/gtest.h>

#include <mutex>

#include "platform/errors.h"
#include "tests/support/raw_server.h"
#include "tests/support/service_fixture.h"

namespace tavrix {
namespace {

using testing::RawConnection;
using testing::RawServer;
using testing::ServiceUnderTest;

const std::string kBoundary = "--------031518123456789";
const std::string kPacket =
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
    "<FIELD attrname=\"A\" fieldtype=\"string\" WIDTH=\"10\"/></FIELDS><PARAMS/></METADATA>"
    "<ROWDATA></ROWDATA></DATAPACKET>";

std::string field(const std::string& name, const std::string& value) {
  return "----------031518123456789\r\nContent-Disposition: form-data; name=\"" + name +
         "\"\r\n\r\n" + value + "\r\n";
}

std::string closing() {
  return "\r\n----------031518123456789--\r\n";
}

std::string request(const std::string& target, const std::string& host, const std::string& body,
                    const std::string& cookie = "") {
  return "POST " + target + " HTTP/1.0\r\n" +
         "Connection: keep-alive\r\n"
         "Content-Type: multipart/form-data; boundary=--------031518123456789\r\n"
         "Content-Length: " +
         std::to_string(body.size()) +
         "\r\n"
         "Host: " +
         host +
         "\r\n"
         "Accept: text/html, */*\r\n"
         "Accept-Encoding: big5\r\n"
         "User-Agent: Mozilla/4.0 (compatible; Indy Library)\r\n" +
         (cookie.empty() ? "" : "Cookie: " + cookie + "\r\n") + "\r\n" + body;
}

// Answers every request with `body`.
RawServer answering(const std::string& body, uint16_t port = 0) {
  return RawServer(
      [body](RawConnection& c, int) {
        c.readRequest();
        c.send(RawServer::reply(body));
      },
      port);
}

std::string ini(uint16_t port, const std::string& more = "") {
  return "[set]\r\nport=" + std::to_string(port) + "\r\n" + more;
}

TEST(Wire, QueryRequest) {
  RawServer server = answering(kPacket);
  ServiceUnderTest s(ini(server.port()));
  dataset::DataSet ds;
  s.http.OpenRemote(ds, "select a,\r\nb from t where x = 'lower'\nand y = 1");
  std::string port = std::to_string(server.port());
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(
      server.requests()[0],
      request("/Kesp/ado/index.php?db=POSDATA.GDB&ip=127.0.0.1&user_name=SYSDBA"
              "&password=quietbell",
              "127.0.0.1:" + port,
              field("user_name", "SYSDBA") + field("password", "quietbell") +
                  field("sql", "SELECT A, B FROM T WHERE X = 'LOWER'\nAND Y = 1") + closing()));
  EXPECT_EQ(ds.fieldCount(), 1);
}

TEST(Wire, ScriptRequestWithLineBreaksAndPercentPairs) {
  RawServer server = answering("success");
  ServiceUnderTest s(ini(server.port()));
  StatementBatch batch = {"DELETE FROM POINT_MASTER WHERE SAL_DATE = '2018/03/15'",
                          "                           AND SAL_NO   = '0001';",
                          "INSERT INTO POINT_MASTER(SAL_NO,NOTE) values('0001','50%%%%')\r\n;"};
  EXPECT_TRUE(s.http.ExecRemoteSQL(batch));
  std::string sql =
      "DELETE FROM POINT_MASTER WHERE SAL_DATE = '2018/03/15'\r\n"
      "                           AND SAL_NO   = '0001';\r\n"
      "INSERT INTO POINT_MASTER(SAL_NO,NOTE) values('0001','50%%')\r\n;\r\n";
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0],
            request("/Kesp/ado/sql_scripts.php?db%3DPOSDATA.GDB&ip%3D127.0.0.1"
                    "&user_name%3DSYSDBA&password%3Dquietbell",
                    "127.0.0.1:" + std::to_string(server.port()),
                    field("sql", sql) + field("db", "POSDATA.GDB") + field("ip", "127.0.0.1") +
                        closing()));
  EXPECT_EQ(s.http.LastMessage, "success\r\n");
}

TEST(Wire, AnEmptyBatchSendsAnEmptySql) {
  RawServer server = answering("success");
  ServiceUnderTest s(ini(server.port()));
  EXPECT_TRUE(s.http.ExecRemoteSQL({}));
  EXPECT_NE(server.requests()[0].find(field("sql", "")), std::string::npos);
}

TEST(Wire, AUserNameWithAmpersandAndHashCutsBothTargets) {
  RawServer server = answering("success");
  ServiceUnderTest s(ini(server.port(), "user_name=a&b#c\r\npassword=p w\r\n"));
  std::string host = "127.0.0.1:" + std::to_string(server.port());
  s.http.ExecRemoteSQL({"X"});
  EXPECT_EQ(
      server.requests()[0],
      request("/Kesp/ado/sql_scripts.php?db%3DPOSDATA.GDB&ip%3D127.0.0.1&user_name%3Da&b", host,
              field("sql", "X\r\n") + field("db", "POSDATA.GDB") + field("ip", "127.0.0.1") +
                  closing()));
  dataset::DataSet ds;
  EXPECT_ANY_THROW(s.http.OpenRemote(ds, "select 1"));  // the reply is no packet
  EXPECT_EQ(server.requests()[1],
            request("/Kesp/ado/index.php?db=POSDATA.GDB&ip=127.0.0.1&user_name=a&b", host,
                    field("user_name", "a&b#c") + field("password", "p w") +
                        field("sql", "SELECT 1") + closing()));
}

TEST(Wire, Big5BytesWithBackslashSecondBytesStayWhole) {
  RawServer server = answering(kPacket);
  // 許 is B3 5C and 地 is A6 61: neither half may change.
  const std::string xu = "\xB3\x5C", di = "\xA6\x61";
  ServiceUnderTest s(ini(server.port(), "dataname=D:\\DATA\\" + xu + ".GDB\r\n"));
  std::string host = "127.0.0.1:" + std::to_string(server.port());
  dataset::DataSet ds;
  s.http.OpenRemote(ds, "select * from t where n = '" + xu + di + "'");
  EXPECT_EQ(server.requests()[0],
            request("/Kesp/ado/index.php?db=D:/DATA/" + xu +
                        ".GDB&ip=127.0.0.1&user_name=SYSDBA&password=quietbell",
                    host,
                    field("user_name", "SYSDBA") + field("password", "quietbell") +
                        field("sql", "SELECT * FROM T WHERE N = '" + xu + di + "'") + closing()));
  s.http.ExecRemoteSQL({"UPDATE T SET N = '" + xu + "'"});
  EXPECT_EQ(
      server.requests()[1],
      request("/Kesp/ado/sql_scripts.php?db%3DD:%5CDATA%5C%B3%5C.GDB&ip%3D127.0.0.1"
              "&user_name%3DSYSDBA&password%3Dquietbell",
              host,
              field("sql", "UPDATE T SET N = '" + xu + "'\r\n") +
                  field("db", "D:\\DATA\\" + xu + ".GDB") + field("ip", "127.0.0.1") + closing()));
}

TEST(Wire, TwoOperationsOpenTwoConnectionsEachWithItsOwnBoundary) {
  RawServer server = answering("success");
  ServiceUnderTest s(ini(server.port()));
  s.http.ExecRemoteSQL({"A"});
  s.clock.at_.time.msec = 790;
  s.http.ExecRemoteSQL({"B"});
  auto requests = server.requests();  // one per accepted connection
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_NE(requests[0].find("boundary=--------031518123456789\r\n"), std::string::npos);
  EXPECT_NE(requests[1].find("boundary=--------031518123456790\r\n"), std::string::npos);
}

TEST(Wire, KeptAliveTheSameRequestsGoOverOneConnection) {
  std::mutex mutex;
  std::vector<int> connectionOf;  // of each request
  RawServer server([&](RawConnection& c, int index) {
    while (!c.readRequest().empty()) {
      std::lock_guard lock(mutex);
      connectionOf.push_back(index);
      c.send(RawServer::reply(kPacket));
    }
  });
  for (const char* keep : {"0", "1"}) {
    ServiceUnderTest s(ini(server.port(), std::string("keep_alive=") + keep + "\r\n"));
    dataset::DataSet ds;
    s.http.OpenRemote(ds, "select 1");
    s.http.ExecRemoteSQL({"A"});
    s.http.OpenRemote(ds, "select 2");
  }
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 6u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(requests[i], requests[i + 3]);
  std::lock_guard lock(mutex);
  EXPECT_EQ(connectionOf, (std::vector<int>{0, 1, 2, 3, 3, 3}));
}

TEST(Wire, AKeptConnectionClosedAsTheRequestWentIsTriedOnceMoreOnAFreshOne) {
  // The first connection answers one request and closes at the next; every
  // later one closes at its first.
  RawServer server([](RawConnection& c, int index) {
    c.readRequest();
    if (index > 0) return;
    c.send(RawServer::reply("success"));
    c.readRequest();
  });
  ServiceUnderTest s(ini(server.port(), "keep_alive=1\r\n"));
  EXPECT_TRUE(s.http.ExecRemoteSQL({"A"}));
  // Sent again once on a fresh connection; that one failing too is a failure.
  EXPECT_FALSE(s.http.ExecRemoteSQL({"B"}));
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1], requests[2]);
  EXPECT_EQ(s.http.LastMessage, "Connection problem!\r\n");
}

// The default settings and an empty port both reach port 80, and "port=8080"
// reaches 8080. Port 80 needs a privileged listener; where either port cannot
// be had, the test says so and skips.
TEST(Wire, DefaultSettingsAnEmptyPortAndPort8080) {
  std::unique_ptr<RawServer> server, server8080;
  auto answer = [](RawConnection& c, int) {
    c.readRequest();
    c.send(RawServer::reply("success"));
  };
  try {
    server = std::make_unique<RawServer>(answer, 80);
    server8080 = std::make_unique<RawServer>(answer, 8080);
  } catch (const std::exception& e) {
    GTEST_SKIP() << e.what();
  }
  std::string body =
      field("sql", "X\r\n") + field("db", "POSDATA.GDB") + field("ip", "127.0.0.1") + closing();
  std::string target =
      "/Kesp/ado/sql_scripts.php?db%3DPOSDATA.GDB&ip%3D127.0.0.1&user_name%3DSYSDBA"
      "&password%3Dquietbell";
  ServiceUnderTest defaults;
  EXPECT_TRUE(defaults.http.ExecRemoteSQL({"X"}));
  ServiceUnderTest empty("[set]\r\nport=\r\n");
  EXPECT_TRUE(empty.http.ExecRemoteSQL({"X"}));
  ServiceUnderTest port8080("[set]\r\nport=8080\r\n");
  EXPECT_TRUE(port8080.http.ExecRemoteSQL({"X"}));
  auto requests = server->requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], request(target, "127.0.0.1", body));
  EXPECT_EQ(requests[1], request(target, "127.0.0.1:", body));
  ASSERT_EQ(server8080->requests().size(), 1u);
  EXPECT_EQ(server8080->requests()[0], request(target, "127.0.0.1:8080", body));
}

TEST(Wire, AHostWrittenWithItsPortSendsNothing) {
  RawServer server = answering("success");
  ServiceUnderTest s("[set]\r\nhost=127.0.0.1:" + std::to_string(server.port()) + "\r\n");
  EXPECT_FALSE(s.http.ExecRemoteSQL({"X"}));
  dataset::DataSet ds;
  EXPECT_THROW(s.http.OpenRemote(ds, "select 1"), SilentAbort);
  EXPECT_TRUE(server.requests().empty());
}

TEST(Wire, ACookieComesBackOnTheNextRequest) {
  RawServer server(
      [](RawConnection& c, int index) {
        c.readRequest();
        c.send(RawServer::reply(kPacket, "200 OK",
                                index == 0 ? "Set-Cookie: SID=abc; Path=/\r\n" : ""));
      },
      0);
  ServiceUnderTest s(ini(server.port()));
  dataset::DataSet ds;
  s.http.OpenRemote(ds, "select 1");
  s.http.OpenRemote(ds, "select 2");
  std::string host = "127.0.0.1:" + std::to_string(server.port());
  std::string target =
      "/Kesp/ado/index.php?db=POSDATA.GDB&ip=127.0.0.1&user_name=SYSDBA&password=quietbell";
  EXPECT_EQ(server.requests()[1],
            request(target, host,
                    field("user_name", "SYSDBA") + field("password", "quietbell") +
                        field("sql", "SELECT 2") + closing(),
                    "SID=abc"));
}

}  // namespace
}  // namespace tavrix

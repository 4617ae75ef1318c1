// HTTPS to the head office: the request inside TLS is the one plain HTTP
// sends, sessions are resumed, and every way verification can refuse a
// server is refused, with its reason.
#include <gtest/gtest.h>

#include "platform/errors.h"
#include "tests/support/raw_server.h"
#include "tests/support/service_fixture.h"

namespace tavrix {
namespace {

using testing::Identity;
using testing::RawConnection;
using testing::RawServer;
using testing::ServiceUnderTest;
using testing::TestAuthority;

const std::string kPacket =
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
    "<FIELD attrname=\"MCH_NO\" fieldtype=\"string\" WIDTH=\"10\"/></FIELDS><PARAMS/></METADATA>"
    "<ROWDATA><ROW MCH_NO=\"01\"/></ROWDATA></DATAPACKET>";

RawServer answering(const std::string& reply, const Identity* tls) {
  return RawServer(
      [reply](RawConnection& c, int) {
        c.readRequest();
        c.send(reply);
      },
      0, tls);
}

// A till set for https to this port, trusting `authority`.
struct HttpsTill : ServiceUnderTest {
  HttpsTill(uint16_t port, const TestAuthority& authority)
      : ServiceUnderTest("[set]\r\nscheme=https\r\nport=" + std::to_string(port) +
                         "\r\nca_file=authority.pem\r\n") {
    folder.write("authority.pem", authority.pem());
    http.httpClient.limits.timeout = std::chrono::milliseconds(3000);
  }
};

// Why a query failed; empty when it went through.
std::string queryFailure(ServiceUnderTest& till) {
  dataset::DataSet ds;
  try {
    till.http.OpenRemote(ds, "select MCH_NO from MCH_ITEM");
    return "";
  } catch (const SilentAbort& e) {
    return e.what();
  }
}

TEST(Tls, TheRequestInsideIsTheOnePlainHttpSendsAndSessionsAreResumed) {
  TestAuthority authority;
  Identity identity = authority.issue();
  RawServer plain = answering(RawServer::reply(kPacket), nullptr);
  RawServer secure = answering(RawServer::reply(kPacket), &identity);
  ServiceUnderTest overHttp("[set]\r\nport=" + std::to_string(plain.port()) + "\r\n");
  HttpsTill overHttps(secure.port(), authority);
  ASSERT_EQ(queryFailure(overHttp), "");
  ASSERT_EQ(queryFailure(overHttps), "");
  // The same bytes but for the port in the Host header.
  std::string expected = plain.requests()[0];
  std::string plainHost = "Host: 127.0.0.1:" + std::to_string(plain.port());
  expected.replace(expected.find(plainHost), plainHost.size(),
                   "Host: 127.0.0.1:" + std::to_string(secure.port()));
  EXPECT_EQ(secure.requests()[0], expected);
  ASSERT_EQ(queryFailure(overHttps), "");
  EXPECT_EQ(secure.resumedSessions(), 1);
}

TEST(Tls, AServerThatCannotBeVerifiedIsRefusedAndTheReasonNamesWhy) {
  TestAuthority trusted, other("Another Authority");
  Identity foreign = other.issue(), misnamed = trusted.issue({"head-office.example"}),
           expired = trusted.issue({"127.0.0.1"}, -30, -1);
  struct Case {
    const Identity* identity;
    const char* reason;
  };
  for (const Case& c :
       {Case{&foreign, "from an issuer not trusted here"},
        Case{&misnamed, "is not for \"127.0.0.1\""}, Case{&expired, "has expired"}}) {
    RawServer server = answering(RawServer::reply(kPacket), c.identity);
    HttpsTill till(server.port(), trusted);
    std::string failure = queryFailure(till);
    EXPECT_NE(failure.find(c.reason), std::string::npos) << failure;
    EXPECT_TRUE(server.requests().empty());  // nothing was sent
  }
  // A plain http service where https was set: it answers the greeting in clear.
  RawServer plain([](RawConnection& c, int) { c.send(RawServer::reply("hello")); });
  HttpsTill till(plain.port(), trusted);
  EXPECT_NE(queryFailure(till).find("does not speak TLS"), std::string::npos) << queryFailure(till);
}

TEST(Tls, ARedirectToPlainHttpIsRefused) {
  TestAuthority authority;
  Identity identity = authority.issue();
  RawServer plain = answering(RawServer::reply(kPacket), nullptr);
  RawServer secure = answering(
      RawServer::reply("", "302 Found",
                       "Location: http://127.0.0.1:" + std::to_string(plain.port()) + "/x\r\n"),
      &identity);
  HttpsTill till(secure.port(), authority);
  EXPECT_NE(queryFailure(till).find("redirected to a plain http address; refused"),
            std::string::npos);
  EXPECT_TRUE(plain.requests().empty());
}

TEST(Tls, AHandshakeThatNeverComesRunsIntoTheTimeout) {
  TestAuthority authority;
  RawServer silent([](RawConnection& c, int) { c.waitForClose(); });
  HttpsTill till(silent.port(), authority);
  till.http.httpClient.limits.timeout = std::chrono::milliseconds(300);
  EXPECT_NE(queryFailure(till).find("TLS handshake: no answer within 300 ms"), std::string::npos);
}

}  // namespace
}  // namespace tavrix

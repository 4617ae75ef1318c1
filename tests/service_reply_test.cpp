// Every kind of reply the service or the network can give, from a real
// loopback server.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include "platform/stop/stop.h"

#include "tests/support/error_text.h"
#include "tests/support/raw_server.h"
#include "tests/support/service_fixture.h"

namespace tavrix {
namespace {

using testing::RawConnection;
using testing::RawServer;
using testing::ServiceUnderTest;

const std::string kPacket =
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
    "<FIELD attrname=\"MCH_NO\" fieldtype=\"string\" WIDTH=\"10\"/></FIELDS><PARAMS/></METADATA>"
    "<ROWDATA><ROW MCH_NO=\"01\"/></ROWDATA></DATAPACKET>";

// Sends these raw bytes after each request, then closes.
RawServer sending(std::vector<std::string> replies) {
  return RawServer([replies](RawConnection& c, int index) {
    c.readRequest();
    c.send(replies[std::min<size_t>(index, replies.size() - 1)]);
  });
}

std::string ini(const RawServer& server) {
  return "[set]\r\nport=" + std::to_string(server.port()) + "\r\n";
}

// A dataset that already holds something, to see whether a failure touched it.
void fill(dataset::DataSet& ds) {
  ds.open({{"OLD", dataset::FieldType::String, 5}});
  ds.appendRecord({dataset::Value::text("kept")});
}

struct Outcome {
  std::string kind;  // "ok", "silent", "error: <text>"
  std::string firstValue;
};

Outcome query(const std::vector<std::string>& replies, std::chrono::milliseconds timeout = {}) {
  RawServer server = sending(replies);
  ServiceUnderTest s(ini(server));
  if (timeout.count()) s.http.httpClient.limits.timeout = timeout;
  dataset::DataSet ds;
  fill(ds);
  Outcome out;
  try {
    s.http.OpenRemote(ds, "select MCH_NO from MCH_ITEM");
    out.kind = "ok";
  } catch (const SilentAbort&) {
    out.kind = "silent";
  } catch (const GeneralError& e) {
    out.kind = std::string("error: ") + e.what();
  }
  out.firstValue = ds.active() && ds.fieldCount() ? ds.field(0).asString() : "(closed)";
  return out;
}

TEST(Reply, PacketsLoadWhateverFramesThem) {
  auto expectLoaded = [](const std::vector<std::string>& replies) {
    Outcome o = query(replies);
    EXPECT_EQ(o.kind, "ok") << replies.back().substr(0, 60);
    EXPECT_EQ(o.firstValue, "01");
  };
  expectLoaded({RawServer::reply(kPacket)});
  expectLoaded({RawServer::reply("Warning: something\r\n<br>" + kPacket)});
  std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  for (size_t i = 0; i < kPacket.size(); i += 100) {
    std::string piece = kPacket.substr(i, 100);
    char size[16];
    std::snprintf(size, sizeof size, "%zx", piece.size());
    chunked += std::string(size) + "\r\n" + piece + "\r\n";
  }
  expectLoaded({chunked + "0\r\n\r\n"});
  expectLoaded({"HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n" + kPacket});  // to close
  expectLoaded({"HTTP/1.1 100 Continue\r\n\r\n" + RawServer::reply(kPacket)});
}

TEST(Reply, RefusalsAndNonPacketsAreGeneralErrors) {
  Outcome refused = query({RawServer::reply("<RESULT>Login failed</RESULT>")});
  EXPECT_EQ(refused.kind, "error: <RESULT>Login failed</RESULT>");
  EXPECT_EQ(refused.firstValue, "kept");
  // A refusal behind a prefix is no refusal: the prefix stays, loading fails.
  Outcome prefixed = query({RawServer::reply("x<RESULT>no</RESULT>")});
  EXPECT_EQ(prefixed.kind, "error: x<RESULT>no</RESULT>");

  Outcome empty = query({RawServer::reply("")});
  EXPECT_EQ(empty.kind, "error: ");
  EXPECT_EQ(empty.firstValue, "(closed)");
  Outcome page = query({RawServer::reply("<html>Fatal error</html>")});
  EXPECT_EQ(page.kind, "error: <html>Fatal error</html>");
  EXPECT_EQ(page.firstValue, "(closed)");
  Outcome noContent = query({"HTTP/1.1 204 No Content\r\n\r\n"});
  EXPECT_EQ(noContent.kind, "error: ");
}

TEST(Reply, RequestFailuresAreSilentAndLeaveTheDatasetAlone) {
  std::vector<std::vector<std::string>> failing = {
      {RawServer::reply("oops", "500 Internal Server Error")},
      {RawServer::reply("", "304 Not Modified")},
      {"HTTP/1.1 200 OK\r\nX-Long: " + std::string(65000 - 8 + 1, 'x') + "\r\n\r\n" + kPacket},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10;" + std::string(65000, 'e') +
       "\r\n0123456789abcdef\r\n0\r\n\r\n"},
      {"HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n" + kPacket.substr(0, 100)},  // cut short
      {"HTTP/1.1 200 " + std::string(65000, 'K') + "\r\nContent-Length: 0\r\n\r\n"},
      {"garbage\r\n\r\n"},
      // Announced lengths over the body limit, refused before any buffer is sized.
      {"HTTP/1.1 200 OK\r\nContent-Length: 000841293338507602830\r\n\r\n"},
      {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string((64 << 20) + 1) + "\r\n\r\n"},
      {""},  // closed without a word
  };
  for (const auto& replies : failing) {
    Outcome o = query(replies);
    EXPECT_EQ(o.kind, "silent") << replies[0].substr(0, 40);
    EXPECT_EQ(o.firstValue, "kept");
  }
  // A header line of exactly the limit is still fine.
  Outcome atLimit =
      query({"HTTP/1.1 200 OK\r\nX-Long: " + std::string(65000 - 8, 'x') + "\r\n" +
             "Content-Length: " + std::to_string(kPacket.size()) + "\r\n\r\n" + kPacket});
  EXPECT_EQ(atLimit.kind, "ok");
}

TEST(Reply, AServerThatNeverAnswersRunsIntoTheTimeout) {
  RawServer silent([](RawConnection& c, int) {
    c.readRequest();
    c.waitForClose();
  });
  ServiceUnderTest s(ini(silent));
  s.http.httpClient.limits.timeout = std::chrono::milliseconds(300);
  dataset::DataSet ds;
  fill(ds);
  EXPECT_THROW(s.http.OpenRemote(ds, "select 1"), SilentAbort);
  EXPECT_EQ(ds.field(0).asString(), "kept");
  EXPECT_FALSE(s.http.ExecRemoteSQL({"X"}));
  EXPECT_EQ(s.box.shown, std::vector<std::string>{"Connection problem!\r\n"});
  // The program itself waits five minutes.
  ServiceUnderTest program;
  EXPECT_EQ(program.http.httpClient.limits.timeout, std::chrono::milliseconds(300000));
}

// A name server that never answers: the lookup has the same deadline as
// every other wait, and a stop ends it at once (without either, this test
// would hang).
TEST(Reply, AHostNameLookupThatNeverAnswersEndsAtItsDeadlineOrAStop) {
  RawServer server = sending({"HTTP/1.0 200 OK\r\n\r\n" + kPacket});
  ServiceUnderTest s("[set]\r\nhost=ho.example\r\nport=" + std::to_string(server.port()) + "\r\n");
  s.http.httpClient.lookUp = [](const std::string&) -> std::vector<std::string> {
    std::this_thread::sleep_for(std::chrono::hours(1));
    return {};
  };
  s.http.httpClient.limits.timeout = std::chrono::milliseconds(300);
  dataset::DataSet ds;
  try {
    s.http.OpenRemote(ds, "select 1");
    ADD_FAILURE() << "no failure";
  } catch (const SilentAbort& e) {
    EXPECT_EQ(std::string(e.what()).find("cannot resolve \"ho.example\": no answer within 300 ms"),
              0u)
        << e.what();
  }
  s.http.httpClient.limits.timeout = std::chrono::milliseconds(300000);
  std::thread stopper([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop::request(SIGTERM);
  });
  EXPECT_THROW(s.http.OpenRemote(ds, "select 1"), stop::Stopped);
  stopper.join();
  stop::reset();

  // Given an answer, the lookup's address is the one connected to.
  s.http.httpClient.lookUp = [](const std::string&) {
    return std::vector<std::string>{"127.0.0.1"};
  };
  EXPECT_NO_THROW(s.http.OpenRemote(ds, "select 1"));
}

TEST(Reply, RedirectsAreFollowedUpToFifteenRequests) {
  for (int redirects : {14, 15}) {
    RawServer server([redirects](RawConnection& c, int index) {
      std::string request = c.readRequest();
      if (index < redirects) {
        // Alternate absolute and relative locations.
        std::string location =
            index % 2 ? "/Kesp/ado/step" + std::to_string(index) : "step" + std::to_string(index);
        c.send(RawServer::reply("", "302 Found", "Location: " + location + "\r\n"));
      } else {
        c.send(RawServer::reply(kPacket));
      }
    });
    ServiceUnderTest s(ini(server));
    dataset::DataSet ds;
    std::string outcome = testing::errorOf([&] { s.http.OpenRemote(ds, "select 1"); });
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 15u) << redirects;
    // The same request goes to every location.
    EXPECT_EQ(requests[2].substr(0, 25), "POST /Kesp/ado/step1 HTTP");
    EXPECT_EQ(requests[2].substr(requests[2].find("\r\n\r\n")),
              requests[0].substr(requests[0].find("\r\n\r\n")));
    if (redirects == 14) {
      EXPECT_EQ(outcome, "(no error)");
      EXPECT_EQ(ds.field(0).asString(), "01");
    } else {
      EXPECT_EQ(outcome, "");  // the empty reply is no packet
    }
  }
}

TEST(Reply, ALocationHeaderRedirectsWhateverTheStatus) {
  RawServer server = sending(
      {RawServer::reply("", "200 OK", "Location: /elsewhere\r\n"), RawServer::reply(kPacket)});
  ServiceUnderTest s(ini(server));
  dataset::DataSet ds;
  s.http.OpenRemote(ds, "select 1");
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_EQ(server.requests()[1].substr(0, 20), "POST /elsewhere HTTP");
}

bool script(ServiceUnderTest& s, const std::string& replyBody) {
  RawServer server = sending({RawServer::reply(replyBody)});
  s.folder.write("httpset.ini", ini(server));
  s.http.readSettings();
  return s.http.ExecRemoteSQL({"DELETE FROM X"});
}

TEST(Script, SuccessAnywhereInTheReply) {
  ServiceUnderTest s;
  EXPECT_TRUE(script(s, "Query OK: 1 row; success!\n"));
  EXPECT_FALSE(script(s, "SUCCESS"));
  EXPECT_FALSE(script(s, "ok\n"));
  EXPECT_EQ(s.http.LastMessage, "ok\r\n");
  EXPECT_EQ(s.folder.read("message.txt"), "ok\r\n");
  EXPECT_TRUE(s.box.shown.empty());
  EXPECT_FALSE(s.folder.exists("messageerr.txt"));

  EXPECT_FALSE(script(s, "a\r\nb\rc\nd\r\n\r\ne"));
  EXPECT_EQ(s.http.LastMessage, "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");
  EXPECT_TRUE(script(s, std::string("success\0 and junk", 17)));
  EXPECT_EQ(s.folder.read("message.txt"), "success\r\n");
  EXPECT_FALSE(script(s, ""));
  EXPECT_EQ(s.folder.read("message.txt"), "");
}

TEST(Script, AnUnreachableHostIsAConnectionProblem) {
  int port;
  {
    RawServer gone([](RawConnection&, int) {});
    port = gone.port();
  }  // nothing listens there any more
  ServiceUnderTest s("[set]\r\nport=" + std::to_string(port) + "\r\n");
  EXPECT_FALSE(s.http.ExecRemoteSQL({"X"}));
  EXPECT_EQ(s.http.LastMessage, "Connection problem!\r\n");
  EXPECT_EQ(s.box.shown, std::vector<std::string>{"Connection problem!\r\n"});
  EXPECT_EQ(s.folder.read("messageerr.txt"), "Connection problem!\r\n");
  EXPECT_FALSE(s.folder.exists("message.txt"));
  dataset::DataSet ds;
  EXPECT_THROW(s.http.OpenRemote(ds, "select 1"), SilentAbort);
}

TEST(Script, MessageFilesThatCannotBeWritten) {
  ServiceUnderTest s;
  std::filesystem::create_directory(s.folder.path() + "message.txt");
  EXPECT_FALSE(script(s, "success"));  // the reply is lost with the file
  EXPECT_EQ(s.http.LastMessage, "Connection problem!\r\n");
  EXPECT_EQ(s.box.shown.size(), 1u);
  EXPECT_EQ(s.folder.read("messageerr.txt"), "Connection problem!\r\n");

  ::remove((s.folder.path() + "messageerr.txt").c_str());
  std::filesystem::create_directory(s.folder.path() + "messageerr.txt");
  std::string error = testing::errorOf([&] { script(s, "success"); });
  EXPECT_NE(error.find("Cannot create file"), std::string::npos) << error;
  EXPECT_NE(error.find("messageerr.txt"), std::string::npos) << error;
}

}  // namespace
}  // namespace tavrix

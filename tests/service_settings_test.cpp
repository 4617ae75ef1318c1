#include <gtest/gtest.h>

#include "service/cookie_jar.h"
#include "service/multipart_form.h"
#include "service/profile_string.h"
#include "service/url.h"
#include "tests/support/error_text.h"
#include "tests/support/service_fixture.h"

namespace tavrix {
namespace {

using testing::ServiceUnderTest;

TEST(ProfileString, ReadsLikeTheWindowsFunction) {
  ProfileFile ini = ProfileFile::parse(
      "host=ignored before any section\r\n"
      "[other]\r\nhost=wrong\r\n"
      "  [SET]  \r\n"
      "  Host  =  10.0.0.1  \r\n"
      "host=second wins nothing\r\n"
      "password=\r\n"
      "user_name=\"quoted name\"\r\n"
      "driver='single'\r\n"
      "dataname=\"half\r\n"
      "dataip\r\n"
      "long=" +
      std::string(3000, 'x') +
      "\r\n"
      "[set]\r\nport=8080\r\n");
  EXPECT_EQ(ini.value("set", "HOST", "d"), "10.0.0.1");
  EXPECT_EQ(ini.value("set", "password", "d"), "");  // present and empty: empty
  EXPECT_EQ(ini.value("set", "user_name", "d"), "quoted name");
  EXPECT_EQ(ini.value("set", "driver", "d"), "single");
  EXPECT_EQ(ini.value("set", "dataname", "d"), "\"half");
  EXPECT_EQ(ini.value("set", "dataip", "d"), "d");  // no "=": the default
  EXPECT_EQ(ini.value("set", "long", "d").size(), 2047u);
  EXPECT_EQ(ini.value("set", "port", "80"), "8080");  // a second [set] section counts too
  EXPECT_EQ(ini.value("set", "missing", "80"), "80");
  EXPECT_EQ(ini.value("nosection", "host", "127.0.0.1"), "127.0.0.1");
  EXPECT_EQ(ProfileFile::load("/no/such/httpset.ini").value("set", "host", "h"), "h");
}

TEST(ServiceSettings, DefaultsWithoutHttpsetIni) {
  ServiceUnderTest s;
  EXPECT_EQ(s.http.UserName, "SYSDBA");
  EXPECT_EQ(s.http.Password, "quietbell");
  EXPECT_EQ(s.http.Host, "127.0.0.1");
  EXPECT_EQ(s.http.Driver, "ado");
  EXPECT_EQ(s.http.DataName, "POSDATA.GDB");
  EXPECT_EQ(s.http.DataIP, "127.0.0.1");
  EXPECT_EQ(s.http.QueryURL, "http://127.0.0.1:80/Kesp/ado/index.php?db=POSDATA.GDB&ip=127.0.0.1");
  EXPECT_EQ(s.http.ScriptURL,
            "http://127.0.0.1:80/Kesp/ado/sql_scripts.php?db=POSDATA.GDB&ip=127.0.0.1");
  EXPECT_EQ(s.http.TableUpdateURL,
            "http://127.0.0.1:80/Kesp/ado/table_update.php?db=POSDATA.GDB&ip=127.0.0.1");
  EXPECT_EQ(s.http.LastMessage, "");
}

TEST(ServiceSettings, ValuesGoIntoTheUrlsUnchanged) {
  ServiceUnderTest port("[Set]\nPort=8080\n");
  EXPECT_EQ(port.http.QueryURL.substr(0, 32), "http://127.0.0.1:8080/Kesp/ado/i");
  ServiceUnderTest empty("[set]\nport=\nHOST=ho.example\n");
  EXPECT_EQ(empty.http.ScriptURL,
            "http://ho.example:/Kesp/ado/sql_scripts.php?db=POSDATA.GDB&ip=127.0.0.1");
  ServiceUnderTest path("[set]\ndataname=D:\\DATA\\POS.GDB\ndriver=fb\ndataip=10.1.1.1\n");
  EXPECT_EQ(path.http.DataName, "D:\\DATA\\POS.GDB");
  EXPECT_EQ(path.http.QueryURL,
            "http://127.0.0.1:80/Kesp/fb/index.php?db=D:\\DATA\\POS.GDB&ip=10.1.1.1");
}

TEST(ServiceSettings, HttpsIsOptInWithPort443AndAnyOtherSchemeIsAnError) {
  ServiceUnderTest https("[set]\nscheme=HTTPS\n");
  EXPECT_EQ(https.http.QueryURL.substr(0, 28), "https://127.0.0.1:443/Kesp/a");
  ServiceUnderTest emptyPort("[set]\nscheme=https\nport=\n");
  EXPECT_EQ(emptyPort.http.QueryURL.substr(0, 25), "https://127.0.0.1:/Kesp/a");
  ServiceUnderTest ftp;
  ftp.folder.write("httpset.ini", "[set]\nscheme=ftp\n");
  EXPECT_EQ(testing::errorOf([&] { ftp.http.readSettings(); }),
            "httpset.ini: scheme must be \"http\" or \"https\", not \"ftp\"");
}

TEST(ServiceSettings, KeepAliveFollowsTheSchemeUnlessSetAndTakesOnlyZeroOrOne) {
  EXPECT_FALSE(ServiceUnderTest().http.httpClient.keepAlive);
  EXPECT_TRUE(ServiceUnderTest("[set]\nscheme=https\n").http.httpClient.keepAlive);
  EXPECT_TRUE(ServiceUnderTest("[set]\nkeep_alive=1\n").http.httpClient.keepAlive);
  EXPECT_FALSE(ServiceUnderTest("[set]\nscheme=https\nkeep_alive=0\n").http.httpClient.keepAlive);
  ServiceUnderTest bad;
  bad.folder.write("httpset.ini", "[set]\nkeep_alive=yes\n");
  EXPECT_EQ(testing::errorOf([&] { bad.http.readSettings(); }),
            "httpset.ini: keep_alive must be 0 or 1, not \"yes\"");
}

TEST(Url, EncodesByteByByte) {
  EXPECT_EQ(URLEncode("a b=c"), "a%20b%3Dc");
  EXPECT_EQ(URLEncode("?db=X&ip=1.2.3.4"), "?db%3DX&ip%3D1.2.3.4");
  EXPECT_EQ(URLEncode("%\\'~"), "%25%5C%27%7E");
  EXPECT_EQ(URLEncode("AbZz09$-_@.&+!*\"(),;/#?:"), "AbZz09$-_@.&+!*\"(),;/#?:");
  EXPECT_EQ(URLEncode("\xB3\x5C\xA6\x61"), "%B3%5C%A6a");  // a letter second byte is copied
  EXPECT_EQ(URLEncode(std::string("\0\x7F", 2)), "%00%7F");
}

TEST(Url, SplitsForTheRequest) {
  RequestUrl u = splitUrl("http://127.0.0.1:8080/Kesp/ado/index.php?db=A\\B\xB3\x5C&u=x#frag");
  EXPECT_EQ(u.host, "127.0.0.1");
  EXPECT_EQ(u.portText, "8080");
  EXPECT_EQ(u.target, "/Kesp/ado/index.php?db=A/B\xB3\x5C&u=x");
  EXPECT_EQ(hostHeader(u), "127.0.0.1:8080");

  RequestUrl defaults = splitUrl("http://host:80/a");
  EXPECT_EQ(hostHeader(defaults), "host");
  EXPECT_EQ(portNumber(defaults), 80);
  RequestUrl empty = splitUrl("http://host:/a");
  EXPECT_EQ(hostHeader(empty), "host:");
  EXPECT_EQ(portNumber(empty), 80);
  // A host written with its own port: the port text is no number.
  RequestUrl doubled = splitUrl("http://127.0.0.1:8080:80/Kesp");
  EXPECT_EQ(doubled.portText, "8080:80");
  EXPECT_FALSE(portNumber(doubled));
  EXPECT_FALSE(portNumber(splitUrl("http://host:70000/a")));
  // Without a port, the scheme's own; an empty one keeps meaning 80.
  EXPECT_EQ(portNumber(splitUrl("HTTPS://host/a")), 443);
  EXPECT_TRUE(splitUrl("HTTPS://host/a").tls);
  EXPECT_EQ(portNumber(splitUrl("https://host:/a")), 80);
  EXPECT_EQ(portNumber(splitUrl("http://host/a")), 80);

  EXPECT_EQ(followLocation(u, "/other?x=1").target, "/other?x=1");
  EXPECT_EQ(followLocation(u, "next.php").target, "/Kesp/ado/next.php");
  RequestUrl moved = followLocation(u, "http://10.0.0.2:81/x");
  EXPECT_EQ(moved.host + ":" + moved.portText + moved.target, "10.0.0.2:81/x");
  RequestUrl secure = splitUrl("https://h:8443/a/b");
  EXPECT_TRUE(followLocation(secure, "c").tls);
  EXPECT_FALSE(followLocation(secure, "http://h/c").tls);
}

TEST(MultipartForm, LayoutBoundaryAndPercentPairs) {
  EXPECT_EQ(formBoundary({{2018, 3, 5}, {9, 4, 7, 12}}), "--------030518090407012");
  EXPECT_EQ(halvePercentPairs("50%%"), "50%");
  EXPECT_EQ(halvePercentPairs("%%%"), "%%");
  EXPECT_EQ(halvePercentPairs("a%b%"), "a%b%");
  EXPECT_EQ(multipartBody({{"a", "1"}, {"b", "x%%y"}}, "B"),
            "--B\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n"
            "--B\r\nContent-Disposition: form-data; name=\"b\"\r\n\r\nx%y\r\n"
            "\r\n--B--\r\n");
}

TEST(CookieJar, SendsCookiesBackToTheSameServerAndPath) {
  CookieJar jar;
  RequestUrl query = splitUrl("http://ho:8080/Kesp/ado/index.php?db=X");
  jar.store(query, "SID=abc; Path=/; HttpOnly");
  jar.store(query, "LANG=\"zh\"");  // default path: /Kesp/ado
  EXPECT_EQ(jar.header(splitUrl("http://ho:8080/Kesp/ado/sql_scripts.php?x")), "SID=abc; LANG=zh");
  EXPECT_EQ(jar.header(splitUrl("http://ho:8080/other")), "SID=abc");
  EXPECT_EQ(jar.header(splitUrl("http://elsewhere/Kesp/ado/index.php")), "");
  jar.store(query, "SID=new; Path=/");
  jar.store(query, "LANG=x; Max-Age=0");
  EXPECT_EQ(jar.header(query), "SID=new");
  jar.store(query, "garbage");
  EXPECT_EQ(jar.header(query), "SID=new");
}

}  // namespace
}  // namespace tavrix

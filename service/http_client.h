// The HTTP client of the service requests: one POST, on a fresh connection or
// (keepAlive) on the one the last reply left open, inside verified TLS for
// "https" URLs; redirects and cookies, and a reply read with hard limits.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "service/cookie_jar.h"
#include "service/url.h"

namespace tavrix {

// Any failure of a request: no connection, a lost connection, a wait that ran
// out, an over-long line, a failing status, a port that is no number.
class HttpFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A reply came, with a status other than success: the head office's own
// answer, not a failed exchange.
class HttpStatusFailure : public HttpFailure {
 public:
  HttpStatusFailure(unsigned status, std::string body)
      : HttpFailure("HTTP status " + std::to_string(status)), body(std::move(body)) {}
  std::string body;
};

struct HttpLimits {
  std::chrono::milliseconds timeout{300000};  // connecting, and every wait for data
  size_t maxLine = 65000;                     // status, header and chunk-size lines
  size_t maxBody = 64 << 20;
  int maxRequests = 15;  // one operation, redirects included
};

// The addresses of a host name, for connecting to it: the system's resolver
// by default. It may take as long as it likes: the request waits for it only
// as long as for any answer, and a stop does not wait for it at all.
using HostLookup = std::function<std::vector<std::string>(const std::string& host)>;

// The request head, line by line in the service's order, and nothing else.
std::string requestHead(const RequestUrl& url, const std::string& contentType, size_t contentLength,
                        const std::string& cookies);

struct HttpReply {
  unsigned status = 0;
  bool hasLocation = false;
  std::string location;
  std::vector<std::string> setCookies;  // Set-Cookie and Set-Cookie2 values
  std::string body;                     // empty for a redirect
  // The reply ended where its own length said and the server keeps the
  // connection open: another request may follow on it.
  bool reusable = false;
};

// Reads one reply from `readSome` (bytes into the buffer, 0 at the end of the
// stream; it raises HttpFailure itself when a wait runs out). A 100 Continue
// is skipped; a redirect is returned after its header. Raises HttpFailure.
using ReadSome = std::function<size_t(char* buffer, size_t size)>;
HttpReply readReply(const ReadSome& readSome, const HttpLimits& limits);

// The TLS library in use and its version, e.g. "OpenSSL 3.0.19 1 Jul 2025".
std::string tlsLibrary();

class HttpClient {
 public:
  HttpClient();
  ~HttpClient();

  HttpLimits limits;
  // Send the next request over the connection the last reply left open, when
  // the server allowed it. Off: a fresh connection for every request.
  bool keepAlive = false;
  // How host names are looked up (empty: the system's resolver).
  HostLookup lookUp;

  // The certificate authorities "https" URLs trust: a PEM file, or the
  // system's own when empty. Verification is never off.
  void trustAuthorities(const std::string& caFile);

  // Posts the body to the URL and returns the reply body: the body of a 2xx
  // reply, or empty text after the last redirect the limit allows. Raises
  // HttpFailure for everything else.
  std::string post(const std::string& url, const std::string& contentType, const std::string& body);

  // Closes the connection kept for a next request, if any.
  void closeConnection();

  const CookieJar& cookies() const { return cookies_; }

  // The TLS context and the sessions to resume, made with the first "https"
  // request, and one connection (OpenSSL and Asio stay inside the exchange).
  struct Tls;
  class Connection;

 private:
  HttpReply exchange(const RequestUrl& url, const std::string& contentType,
                     const std::string& body);

  CookieJar cookies_;
  std::shared_ptr<Tls> tls_;
  std::string caFile_;
  std::unique_ptr<Connection> kept_;  // closed before the TLS context it uses
  std::string keptFor_;               // the scheme, host and port it goes to
};

}  // namespace tavrix

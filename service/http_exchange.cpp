// The only place that touches sockets, TLS and Beast's parser on the client
// side.
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <array>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/beast.h"
#include "platform/stop/stop.h"
#include "platform/text/big5.h"
#include "platform/tls/system_trust.h"
#include "service/http_client.h"

namespace tavrix {

using namespace net;

namespace {

// What a failed handshake means, in words a till's IT person can act on.
std::string tlsFailure(SSL* ssl, const beast::error_code& ec, const RequestUrl& url, uint16_t port,
                       const std::string& caFile) {
  std::string where = url.host + ":" + std::to_string(port);
  std::string authorities =
      caFile.empty() ? "the system's authorities" : "\"" + text::nameInBig5(caFile) + "\"";
  long verify = ssl ? SSL_get_verify_result(ssl) : X509_V_OK;
  switch (verify) {
    case X509_V_OK:
      break;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return "TLS: the head office's certificate is not for \"" + url.host + "\" (" + where + ")";
    case X509_V_ERR_CERT_HAS_EXPIRED:
      return "TLS: the head office's certificate has expired (" + where + ")";
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return "TLS: the head office's certificate is not valid yet (" + where +
             "; is the till's clock right?)";
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED:
      return "TLS: the head office's certificate is from an issuer not trusted here (" + where +
             "; trusted: " + authorities + ")";
    default:
      return "TLS: the head office's certificate was refused (" + where +
             "): " + X509_verify_cert_error_string(verify);
  }
  if (ec.category() == asio::error::get_ssl_category() &&
      ERR_GET_REASON(static_cast<unsigned long>(ec.value())) == SSL_R_WRONG_VERSION_NUMBER)
    return "TLS: the head office does not speak TLS on " + where + " (a plain http service?)";
  if (ec == asio::error::eof || ec == ssl::error::stream_truncated)
    return "TLS: the head office closed the connection during the handshake (" + where +
           "; a plain http service?)";
  return "TLS handshake with " + where + " failed: " + ec.message();
}

// The system's resolver, on the thread that asks.
std::vector<std::string> systemLookUp(const std::string& host) {
  asio::io_context ioc;
  tcp::resolver resolver(ioc);
  beast::error_code ec;
  auto results = resolver.resolve(host, "", ec);
  if (ec) throw HttpFailure(ec.message());
  std::vector<std::string> addresses;
  for (const auto& result : results) addresses.push_back(result.endpoint().address().to_string());
  return addresses;
}

// The lookup runs on a thread of its own, waited for in short slices up to
// `timeout` and never past a stop. Asio's own asynchronous lookup would not
// do: its thread is joined when the io_context goes, which waits out a name
// server that does not answer. A lookup given up on ends by itself later.
std::vector<std::string> addressesOf(const std::string& host, const HostLookup& lookUp,
                                     std::chrono::milliseconds timeout) {
  beast::error_code literal;
  asio::ip::make_address(host, literal);
  if (!literal) return {host};
  struct Pending {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::vector<std::string> addresses;
    std::string failure;
  };
  auto pending = std::make_shared<Pending>();
  std::thread([pending, host, lookUp] {
    std::vector<std::string> addresses;
    std::string failure;
    try {
      addresses = lookUp ? lookUp(host) : systemLookUp(host);
    } catch (const std::exception& e) {
      failure = e.what();
    }
    std::lock_guard lock(pending->mutex);
    pending->addresses = std::move(addresses);
    pending->failure = failure.empty() && pending->addresses.empty() ? "no address" : failure;
    pending->finished = true;
    pending->done.notify_all();
  }).detach();
  auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock lock(pending->mutex);
  while (!pending->finished) {
    if (stop::requested()) throw stop::Stopped();
    if (std::chrono::steady_clock::now() >= deadline)
      throw HttpFailure("cannot resolve \"" + host + "\": no answer within " +
                        std::to_string(timeout.count()) + " ms");
    pending->done.wait_for(lock, std::chrono::milliseconds(100));
  }
  if (!pending->failure.empty())
    throw HttpFailure("cannot resolve \"" + host + "\": " + pending->failure);
  return pending->addresses;
}

}  // namespace

// The client's TLS context, made once, and the last session of each head
// office, offered again on the next fresh connection: resuming saves the full
// handshake.
struct HttpClient::Tls {
  explicit Tls(const std::string& authorities)
      : context(ssl::context::tls_client), caFile(authorities) {
    SSL_CTX_set_min_proto_version(context.native_handle(), TLS1_2_VERSION);
    // The sessions are kept here, one a head office, not in OpenSSL's cache.
    SSL_CTX_set_session_cache_mode(context.native_handle(),
                                   SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    context.set_verify_mode(ssl::verify_peer);
    beast::error_code ec;
    if (!caFile.empty()) {
      context.load_verify_file(caFile, ec);
      if (ec)
        failure = "TLS: the authorities file \"" + text::nameInBig5(caFile) +
                  "\" cannot be read: " + ec.message();
    } else if (!tls::trustSystemAuthorities(context.native_handle())) {
      failure = "TLS: the system's certificate authorities cannot be read";
    }
  }
  ~Tls() {
    for (auto& [where, session] : sessions) SSL_SESSION_free(session);
  }
  ssl::context context;
  const std::string caFile;  // empty: the system's authorities
  std::string failure;       // why no connection can be verified
  std::map<std::string, SSL_SESSION*> sessions;
};

// One connection, driven synchronously: every operation runs the private
// io_context until it finishes or its deadline passes. Over TLS, the server
// is verified against the client's authorities and its name.
class HttpClient::Connection {
 public:
  Connection(const RequestUrl& url, const HttpLimits& limits, HttpClient::Tls* tls,
             const HostLookup& lookUp)
      : limits_(limits), tls_(tls) {
    auto port = portNumber(url);
    if (!port) throw HttpFailure("port \"" + url.portText + "\" is not a number");
    if (tls_) {
      if (!tls_->failure.empty()) throw HttpFailure(tls_->failure);
      secure_.emplace(ioc_, tls_->context);
    } else {
      plain_.emplace(ioc_);
    }
    std::vector<tcp::endpoint> endpoints;
    for (const std::string& address : addressesOf(url.host, lookUp, limits_.timeout)) {
      beast::error_code bad;
      auto ip = asio::ip::make_address(address, bad);
      if (!bad) endpoints.emplace_back(ip, *port);
    }
    beast::error_code ec;
    lowest().expires_after(limits_.timeout);
    lowest().async_connect(endpoints, [&](beast::error_code e, const tcp::endpoint&) { ec = e; });
    run();
    if (ec)
      throw HttpFailure("cannot connect to " + url.host + ":" + std::to_string(*port) + ": " +
                        describe(ec));
    // Every message goes in one write; one held back for an acknowledgement
    // would wait for a delayed one (40 ms, or a round trip on a real link).
    lowest().socket().set_option(tcp::no_delay(true), ec);
    if (tls_) handshake(url, *port);
  }

  ~Connection() {
    // Closed as finished: OpenSSL would otherwise take the close for a broken
    // connection and spoil the session.
    if (secure_ && finished_)
      SSL_set_shutdown(secure_->native_handle(), SSL_SENT_SHUTDOWN | SSL_RECEIVED_SHUTDOWN);
  }

  // The head and the body in one gathered write: no copy of a big body, and
  // no small last segment left waiting for an acknowledgement.
  void write(const std::string& head, const std::string& body) {
    finished_ = closedByServer_ = false;
    received_ = 0;
    beast::error_code ec;
    lowest().expires_after(limits_.timeout);
    std::array<asio::const_buffer, 2> buffers = {asio::buffer(head), asio::buffer(body)};
    auto done = [&](beast::error_code e, size_t) { ec = e; };
    if (secure_)
      asio::async_write(*secure_, buffers, done);
    else
      asio::async_write(*plain_, buffers, done);
    run();
    if (ec) throw failure("cannot send the request: ", ec);
  }

  size_t readSome(char* buffer, size_t size) {
    beast::error_code ec;
    size_t got = 0;
    lowest().expires_after(limits_.timeout);
    auto done = [&](beast::error_code e, size_t n) {
      ec = e;
      got = n;
    };
    if (secure_)
      secure_->async_read_some(asio::buffer(buffer, size), done);
    else
      plain_->async_read_some(asio::buffer(buffer, size), done);
    run();
    received_ += got;
    // A server that closes without TLS's closing message ends the reply as a
    // plain close does; the reply's own length says whether it is whole.
    if (ec == asio::error::eof || ec == ssl::error::stream_truncated) {
      closedByServer_ = true;
      return 0;
    }
    if (ec) throw failure("reading the reply: ", ec);
    return got;
  }

  // The reply is whole: the session to offer the same head office on its
  // next fresh connection.
  void finish() {
    finished_ = true;
    if (!secure_) return;
    SSL_SESSION* session = SSL_get1_session(secure_->native_handle());
    if (!session) return;
    SSL_SESSION*& kept = tls_->sessions[where_];
    if (kept) SSL_SESSION_free(kept);
    kept = session;
  }

  // Between requests nothing may arrive: anything to read (a close, a reset,
  // stray bytes) means the server has given the connection up.
  bool idleAndOpen() {
    if (secure_ && SSL_has_pending(secure_->native_handle())) return false;
    tcp::socket& socket = lowest().socket();
    beast::error_code ec;
    socket.non_blocking(true, ec);
    char byte;
    socket.receive(asio::buffer(&byte, 1), tcp::socket::message_peek, ec);
    bool open = ec == asio::error::would_block;
    socket.non_blocking(false, ec);
    return open;
  }

  // The request found the connection closed before any of the reply came:
  // the server may have closed it just as the request went.
  bool closedBeforeReply() const { return closedByServer_ && received_ == 0; }

 private:
  void handshake(const RequestUrl& url, uint16_t port) {
    SSL* ssl = secure_->native_handle();
    where_ = url.host + ":" + std::to_string(port);
    beast::error_code ec;
    asio::ip::make_address(url.host, ec);
    bool literal = !ec;  // an address is checked as one, and sent no name
    if (literal)
      X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), url.host.c_str());
    else
      SSL_set1_host(ssl, url.host.c_str());
    if (!literal) SSL_set_tlsext_host_name(ssl, url.host.c_str());
    if (auto kept = tls_->sessions.find(where_); kept != tls_->sessions.end())
      SSL_set_session(ssl, kept->second);
    ec = {};
    lowest().expires_after(limits_.timeout);
    secure_->async_handshake(ssl::stream_base::client, [&](beast::error_code e) { ec = e; });
    run();
    if (ec == beast::error::timeout) throw HttpFailure("TLS handshake: " + describe(ec));
    if (ec) throw HttpFailure(tlsFailure(ssl, ec, url, port, tls_->caFile));
  }

  beast::tcp_stream& lowest() { return secure_ ? secure_->next_layer() : *plain_; }

  // Waits in short slices, so a stop asked for from outside cuts even a
  // five-minute wait short.
  void run() {
    ioc_.restart();
    while (!ioc_.stopped()) {
      ioc_.run_for(std::chrono::milliseconds(100));
      if (!ioc_.stopped() && stop::requested()) {
        lowest().close();
        ioc_.run();  // the aborted operation's handler
        throw stop::Stopped();
      }
    }
  }

  HttpFailure failure(const char* what, const beast::error_code& ec) {
    if (ec == asio::error::connection_reset || ec == asio::error::broken_pipe ||
        ec == asio::error::connection_aborted || ec == asio::error::eof ||
        ec == ssl::error::stream_truncated)
      closedByServer_ = true;
    return HttpFailure(what + describe(ec));
  }

  std::string describe(const beast::error_code& ec) const {
    if (ec == beast::error::timeout)
      return "no answer within " + std::to_string(limits_.timeout.count()) + " ms";
    return ec.message();
  }

  asio::io_context ioc_;
  std::optional<beast::tcp_stream> plain_;
  std::optional<ssl::stream<beast::tcp_stream>> secure_;
  const HttpLimits& limits_;
  HttpClient::Tls* tls_;
  std::string where_;
  bool finished_ = false;        // the last reply was read whole
  bool closedByServer_ = false;  // a read or write met the server's close
  size_t received_ = 0;          // bytes of the reply under way
};

namespace {

size_t hexDigits(std::uint64_t n) {
  size_t d = 1;
  while (n >>= 4) ++d;
  return d;
}

}  // namespace

HttpReply readReply(const ReadSome& readSome, const HttpLimits& limits) {
  beast::flat_buffer buffer;
  bool ended = false;
  auto fill = [&]() -> bool {
    if (ended) return false;
    auto space = buffer.prepare(64 * 1024);
    size_t n = readSome(static_cast<char*>(space.data()), space.size());
    if (n == 0) {
      ended = true;
      return false;
    }
    buffer.commit(n);
    return true;
  };
  // Feeds the parser until `done`, reading more when it needs it.
  auto advance = [&](auto& parser, auto done) {
    while (!done()) {
      beast::error_code ec;
      if (buffer.size() > 0) {
        size_t used = parser.put(buffer.data(), ec);
        buffer.consume(used);
        if (ec && ec != http::error::need_more) throw HttpFailure("bad reply: " + ec.message());
        if (!ec && used > 0) continue;
      }
      if (!fill()) {
        // Beast would take an untouched parser's end of stream for a message.
        if (!parser.got_some()) throw HttpFailure("the connection closed without a reply");
        parser.put_eof(ec);
        if (ec) throw HttpFailure("the connection closed before the reply was complete");
        if (!done()) throw HttpFailure("the connection closed before the reply was complete");
      }
    }
  };

  for (;;) {
    http::response_parser<http::string_body> parser;
    parser.header_limit(16u << 20);
    parser.body_limit(limits.maxBody);
    // The header alone first: the body's buffer is sized from the announced
    // length, which must be within the limit before anything is reserved.
    parser.eager(false);
    auto onChunk = [&](std::uint64_t size, beast::string_view extensions, beast::error_code& ec) {
      if (hexDigits(size) + extensions.size() > limits.maxLine) ec = http::error::bad_chunk;
    };
    parser.on_chunk_header(onChunk);

    advance(parser, [&] { return parser.is_header_done(); });
    const auto& head = parser.get();
    if (std::string_view("HTTP/1.1 200 ").size() + head.reason().size() > limits.maxLine)
      throw HttpFailure("status line longer than " + std::to_string(limits.maxLine));
    for (const auto& field : head)
      if (field.name_string().size() + 2 + field.value().size() > limits.maxLine)
        throw HttpFailure("header line longer than " + std::to_string(limits.maxLine));
    if (head.result_int() == 100) continue;

    HttpReply reply;
    reply.status = head.result_int();
    if (auto it = head.find(http::field::location); it != head.end()) {
      reply.hasLocation = true;
      reply.location = std::string(it->value());
    }
    for (const char* name : {"Set-Cookie", "Set-Cookie2"})
      for (auto [it, end] = head.equal_range(name); it != end; ++it)
        reply.setCookies.emplace_back(it->value());
    bool redirect =
        (reply.status >= 300 && reply.status <= 399 && reply.status != 304) || reply.hasLocation;
    if (redirect) return reply;  // the body is of no use

    if (auto length = parser.content_length(); length && *length > limits.maxBody)
      throw HttpFailure("the reply announces " + std::to_string(*length) +
                        " bytes, over the limit of " + std::to_string(limits.maxBody));
    parser.eager(true);
    advance(parser, [&] { return parser.is_done(); });
    reply.body = std::move(parser.get().body());
    reply.reusable = parser.keep_alive() && buffer.size() == 0 && !ended;
    return reply;
  }
}

std::string tlsLibrary() {
  return OpenSSL_version(OPENSSL_VERSION);
}

HttpClient::HttpClient() = default;
HttpClient::~HttpClient() = default;

void HttpClient::trustAuthorities(const std::string& caFile) {
  caFile_ = caFile;
  kept_.reset();
  tls_.reset();
}

void HttpClient::closeConnection() {
  kept_.reset();
}

HttpReply HttpClient::exchange(const RequestUrl& url, const std::string& contentType,
                               const std::string& body) {
  stop::checkpoint();
  if (url.tls && !tls_) tls_ = std::make_shared<Tls>(caFile_);
  std::string where = (url.tls ? "https://" : "http://") + url.host + ":" + url.portText;
  std::unique_ptr<Connection> connection = std::move(kept_);
  if (connection && (keptFor_ != where || !connection->idleAndOpen())) connection.reset();
  bool reused = connection != nullptr;
  std::string head = requestHead(url, contentType, body.size(), cookies_.header(url));
  for (;;) {
    if (!connection)
      connection =
          std::make_unique<Connection>(url, limits, url.tls ? tls_.get() : nullptr, lookUp);
    try {
      connection->write(head, body);
      HttpReply reply =
          readReply([&](char* b, size_t n) { return connection->readSome(b, n); }, limits);
      connection->finish();
      if (keepAlive && reply.reusable) {
        kept_ = std::move(connection);
        keptFor_ = where;
      }
      return reply;
    } catch (const HttpFailure&) {
      // A kept connection that the server closed as the request went: once
      // more on a fresh one, never more (a query reads, a batch deletes what
      // it inserts, so the repeat is harmless).
      if (!reused || !connection->closedBeforeReply()) throw;
      reused = false;
      connection.reset();
    }
  }
}

}  // namespace tavrix

// One thread, one coroutine per connection: read a request, decide the reply
// (or the fault), write it, and read the next one while the client keeps the
// connection.
#include <utility>  // before Asio: Boost 1.74 needs std::exchange declared

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/detached.hpp>
#include <boost/asio/redirect_error.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <cstdio>
#include <filesystem>
#include <optional>

#include "platform/beast.h"
#include "platform/text/folders.h"
#include "tools/headoffice/server.h"

namespace tavrix::sim {

using namespace net;
using asio::use_awaitable;

namespace {

constexpr auto kReadTimeout = std::chrono::seconds(30);

std::string reasonOf(unsigned status) {
  switch (status) {
    case 200:
      return "OK";
    case 302:
      return "Found";
    case 404:
      return "Not Found";
    case 503:
      return "Service Unavailable";
    default:
      return "Status";
  }
}

std::string serialize(const SimReply& reply, const std::string& location, bool chunked, bool keep) {
  std::string head =
      "HTTP/1.1 " + std::to_string(reply.status) + " " + reasonOf(reply.status) +
      "\r\nContent-Type: text/html\r\nConnection: " + (keep ? "keep-alive" : "close") + "\r\n";
  if (!location.empty()) head += "Location: " + location + "\r\n";
  if (!chunked)
    return head + "Content-Length: " + std::to_string(reply.body.size()) + "\r\n\r\n" + reply.body;
  head += "Transfer-Encoding: chunked\r\n\r\n";
  for (size_t at = 0; at < reply.body.size(); at += 1000) {
    std::string piece = reply.body.substr(at, 1000);
    char size[16];
    std::snprintf(size, sizeof size, "%zx", piece.size());
    head += std::string(size) + "\r\n" + piece + "\r\n";
  }
  return head + "0\r\n\r\n";
}

class Server {
 public:
  Server(const SimOptions& options, HeadOffice& office) : options_(options), office_(office) {}

  asio::awaitable<void> session(tcp::socket socket) {
    int connection = ++connections_;
    if (!tls_) {
      beast::tcp_stream stream(std::move(socket));
      co_await serveConnection(stream, connection);
      co_return;
    }
    ssl::stream<beast::tcp_stream> stream(beast::tcp_stream(std::move(socket)), *tls_);
    beast::get_lowest_layer(stream).expires_after(kReadTimeout);
    beast::error_code ec;
    co_await stream.async_handshake(ssl::stream_base::server,
                                    asio::redirect_error(use_awaitable, ec));
    if (ec) {
      std::printf("tls handshake failed: %s\n", ec.message().c_str());
      std::fflush(stdout);
      co_return;
    }
    co_await serveConnection(stream, connection);
    // Closed as finished: the session stays good for the client to resume.
    SSL_set_shutdown(stream.native_handle(), SSL_SENT_SHUTDOWN | SSL_RECEIVED_SHUTDOWN);
  }

  void serveTls(const std::string& certificate, const std::string& key, bool tls12Only) {
    tls_.emplace(ssl::context::tls_server);
    tls_->use_certificate_chain_file(certificate);
    tls_->use_private_key_file(key, ssl::context::pem);
    if (tls12Only) SSL_CTX_set_max_proto_version(tls_->native_handle(), TLS1_2_VERSION);
  }

  asio::awaitable<void> listen(tcp::acceptor& acceptor) {
    for (;;) {
      tcp::socket socket = co_await acceptor.async_accept(use_awaitable);
      asio::co_spawn(acceptor.get_executor(), session(std::move(socket)), asio::detached);
    }
  }

 private:
  // Requests and their replies until either side ends the connection.
  template <class Stream>
  asio::awaitable<void> serveConnection(Stream& stream, int connection) {
    std::string pending;  // bytes read beyond the last request
    for (int replies = 1; co_await serve(stream, connection, pending); ++replies)
      if (faults_.closeAfter > 0 && replies >= faults_.closeAfter) break;
    beast::error_code ec;
    beast::get_lowest_layer(stream).socket().shutdown(tcp::socket::shutdown_both, ec);
  }

  // One request and its reply (or fault), on a plain or TLS stream. True when
  // the connection stays open for another request.
  template <class Stream>
  asio::awaitable<bool> serve(Stream& stream, int connection, std::string& pending) {
    Incoming in;
    try {
      in = co_await readRequest(stream, pending);
    } catch (const std::exception& e) {
      log(++requests_, "-", 0, 0, in.started, connection, std::string("bad request: ") + e.what());
      co_return false;
    }
    if (in.raw.empty()) co_return false;  // the client closed between requests
    int number = ++requests_;
    const SimRequest& request = in.request;
    record(number, "request", in.raw);

    Endpoint endpoint = endpointOf(request.target);
    EndpointFaults* faults = endpoint == Endpoint::Query    ? &faults_.query
                             : endpoint == Endpoint::Script ? &faults_.script
                                                            : nullptr;
    std::string fault, location;
    SimReply reply;
    bool lost = false;
    if (faults && faults->refuse > 0) {
      --faults->refuse;
      fault = "refused";
      reply = {503, "refused"};
    } else if (faults && faults->redirect > 0) {
      --faults->redirect;
      fault = "redirected";
      location = request.target;
      reply = {302, ""};
    } else if (endpoint == Endpoint::Script && faults_.noSuccess > 0) {
      --faults_.noSuccess;
      fault = "not run";
      reply = {200, "ERROR: the batch was not run"};
    } else if (endpoint == Endpoint::Script && faults_.fakeSuccess > 0) {
      --faults_.fakeSuccess;
      fault = "faked";
      reply = {200, "success (the batch was not run)"};
    } else {
      reply = office_.handle(request);
      // Lost after the work is done, so the client cannot tell whether it was.
      lost = faults && faults->lose > 0;
      if (lost) {
        --faults->lose;
        fault = "lost";
      }
    }
    bool dropped = !lost && faults && faults->drop > 0;
    bool keep = in.keepAlive && options_.keepAlive && !lost && !dropped;
    std::string bytes = lost ? std::string() : serialize(reply, location, options_.chunked, keep);
    if (dropped) {
      --faults->drop;
      fault = "dropped";
      bytes.resize(bytes.size() / 2);
    }
    auto delay = faults && faults->delay.count() > 0 ? faults->delay : options_.delay;
    if (delay.count() > 0) {
      asio::steady_timer timer(stream.get_executor(), delay);
      co_await timer.async_wait(use_awaitable);
    }
    record(number, "reply", bytes);
    beast::error_code ec;
    if (!lost) {
      beast::get_lowest_layer(stream).expires_after(kReadTimeout);
      co_await asio::async_write(stream, asio::buffer(bytes),
                                 asio::redirect_error(use_awaitable, ec));
    }
    log(number, endpointName(endpoint), reply.status, bytes.size(), in.started, connection, fault);
    co_return keep && !ec;
  }

  struct Incoming {
    SimRequest request;
    bool keepAlive = false;  // the client asked to keep the connection
    std::string raw;         // the request's bytes as they came, for the record
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
  };

  // Reads one request; nothing (no raw bytes) when the client closed or went
  // quiet before its first byte.
  template <class Stream>
  asio::awaitable<Incoming> readRequest(Stream& stream, std::string& pending) {
    Incoming in;
    http::request_parser<http::string_body> parser;
    parser.body_limit(256u << 20);
    parser.eager(true);
    char buffer[65536];
    while (!parser.is_done()) {
      beast::error_code ec;
      if (!pending.empty()) {
        size_t used = parser.put(asio::buffer(pending), ec);
        in.raw.append(pending, 0, used);
        pending.erase(0, used);
        if (ec && ec != http::error::need_more) throw beast::system_error(ec);
        if (!ec && used > 0) continue;
      }
      bool nothingYet = in.raw.empty() && pending.empty();
      beast::get_lowest_layer(stream).expires_after(kReadTimeout);
      size_t n = co_await stream.async_read_some(asio::buffer(buffer),
                                                 asio::redirect_error(use_awaitable, ec));
      if (ec && nothingYet) co_return Incoming{};
      if (ec) throw beast::system_error(ec);
      if (nothingYet) in.started = std::chrono::steady_clock::now();
      pending.append(buffer, n);
    }
    const auto& message = parser.get();
    in.keepAlive = parser.keep_alive();
    in.request = SimRequest{std::string(message.target()),
                            std::string(message[http::field::content_type]), message.body()};
    co_return in;
  }

  void record(int number, const char* what, const std::string& bytes) {
    if (options_.recordDir.empty()) return;
    char name[64];
    std::snprintf(name, sizeof name, "%04d-%s.http", number, what);
    try {
      text::writeFile(options_.recordDir + "/" + name, bytes);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "headoffice-sim: %s\n", e.what());
    }
  }

  void log(int number, std::string_view endpoint, unsigned status, size_t bytes,
           std::chrono::steady_clock::time_point started, int connection, const std::string& note) {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - started)
                  .count();
    std::printf("#%d %.*s %u %zu bytes %lld ms%s%s [connection %d]\n", number,
                static_cast<int>(endpoint.size()), endpoint.data(), status, bytes,
                static_cast<long long>(ms), note.empty() ? "" : " ", note.c_str(), connection);
    std::fflush(stdout);
  }

  const SimOptions& options_;
  HeadOffice& office_;
  SimOptions faults_ = options_;  // counters that run down
  int requests_ = 0;
  int connections_ = 0;
  std::optional<ssl::context> tls_;
};

}  // namespace

void serve(const SimOptions& options, HeadOffice& office) {
  asio::io_context ioc;
  tcp::acceptor acceptor(ioc);
  beast::error_code ec;
  tcp::endpoint where(asio::ip::make_address(options.bind, ec), options.port);
  if (ec) throw std::runtime_error("cannot listen on " + options.bind + ": " + ec.message());
  acceptor.open(where.protocol(), ec);
  if (!ec) acceptor.set_option(asio::socket_base::reuse_address(true), ec);
  if (!ec) acceptor.bind(where, ec);
  if (!ec) acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec)
    throw std::runtime_error("cannot listen on " + options.bind + ":" +
                             std::to_string(options.port) + ": " + ec.message());
  if (!options.recordDir.empty()) std::filesystem::create_directories(options.recordDir);

  Server server(options, office);
  if (!options.tlsCert.empty()) {
    try {
      server.serveTls(options.tlsCert, options.tlsKey, options.tls12Only);
    } catch (const std::exception& e) {
      throw std::runtime_error("cannot use " + options.tlsCert + " and " + options.tlsKey + ": " +
                               e.what());
    }
  }
  asio::co_spawn(ioc, server.listen(acceptor), asio::detached);
  asio::signal_set signals(ioc, SIGINT, SIGTERM);
  signals.async_wait([&](beast::error_code, int) { ioc.stop(); });
  std::printf("listening on %s:%u\n", options.bind.c_str(), acceptor.local_endpoint().port());
  std::fflush(stdout);
  ioc.run();
}

}  // namespace tavrix::sim

// The only place that touches sockets and Beast's parser on the client side.
#include <array>

#include "platform/beast.h"
#include "platform/stop/stop.h"
#include "service/http_client.h"

namespace tavrix {

using namespace net;

namespace {

// One connection, driven synchronously: every operation runs the private
// io_context until it finishes or its deadline passes.
class Connection {
 public:
  Connection(const RequestUrl& url, std::chrono::milliseconds timeout)
      : stream_(ioc_), timeout_(timeout) {
    auto port = portNumber(url.portText);
    if (!port) throw HttpFailure("port \"" + url.portText + "\" is not a number");
    tcp::resolver resolver(ioc_);
    beast::error_code ec;
    auto endpoints = resolver.resolve(url.host, std::to_string(*port), ec);
    if (ec) throw HttpFailure("cannot resolve \"" + url.host + "\": " + ec.message());
    stream_.expires_after(timeout_);
    stream_.async_connect(endpoints, [&](beast::error_code e, const tcp::endpoint&) { ec = e; });
    run();
    if (ec)
      throw HttpFailure("cannot connect to " + url.host + ":" + std::to_string(*port) + ": " +
                        describe(ec));
  }

  // The head and the body in one gathered write: no copy of a big body, and
  // no small last segment left waiting for an acknowledgement.
  void write(const std::string& head, const std::string& body) {
    beast::error_code ec;
    stream_.expires_after(timeout_);
    std::array<asio::const_buffer, 2> buffers = {asio::buffer(head), asio::buffer(body)};
    asio::async_write(stream_, buffers, [&](beast::error_code e, size_t) { ec = e; });
    run();
    if (ec) throw HttpFailure("cannot send the request: " + describe(ec));
  }

  size_t readSome(char* buffer, size_t size) {
    beast::error_code ec;
    size_t got = 0;
    stream_.expires_after(timeout_);
    stream_.async_read_some(asio::buffer(buffer, size), [&](beast::error_code e, size_t n) {
      ec = e;
      got = n;
    });
    run();
    if (ec == asio::error::eof) return 0;
    if (ec) throw HttpFailure("reading the reply: " + describe(ec));
    return got;
  }

 private:
  // Waits in short slices, so a stop asked for from outside cuts even a
  // five-minute wait short.
  void run() {
    ioc_.restart();
    while (!ioc_.stopped()) {
      ioc_.run_for(std::chrono::milliseconds(100));
      if (!ioc_.stopped() && stop::requested()) {
        stream_.close();
        ioc_.run();  // the aborted operation's handler
        throw stop::Stopped();
      }
    }
  }
  std::string describe(const beast::error_code& ec) const {
    if (ec == beast::error::timeout)
      return "no answer within " + std::to_string(timeout_.count()) + " ms";
    return ec.message();
  }

  asio::io_context ioc_;
  beast::tcp_stream stream_;
  std::chrono::milliseconds timeout_;
};

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
    parser.eager(true);
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

    advance(parser, [&] { return parser.is_done(); });
    reply.body = std::move(parser.get().body());
    return reply;
  }
}

HttpReply HttpClient::exchange(const RequestUrl& url, const std::string& contentType,
                               const std::string& body) {
  stop::checkpoint();
  Connection connection(url, limits.timeout);
  connection.write(requestHead(url, contentType, body.size(), cookies_.header(url)), body);
  return readReply([&](char* b, size_t n) { return connection.readSome(b, n); }, limits);
}

}  // namespace tavrix

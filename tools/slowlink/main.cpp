// slow-link: a relay on loopback that makes a store's line to its head office
// out of a local connection. A new connection costs one round trip before its
// first byte goes through, and every byte arrives half a round trip after it
// was sent, in order, in both directions; closes follow the same way.
#include <utility>  // before Asio: Boost 1.74 needs std::exchange declared

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/connect.hpp>
#include <boost/asio/detached.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/redirect_error.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/asio/write.hpp>

#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>

namespace asio = boost::asio;
using asio::use_awaitable;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

struct Options {
  uint16_t port = 0;
  std::string host;
  std::string targetPort;
  std::chrono::milliseconds rtt{20};
};

const char kUsage[] =
    "usage: slow-link --to HOST:PORT [--rtt MS] [--port N]\n"
    "Relays connections on 127.0.0.1:N (0, the default: a free port) to HOST:PORT\n"
    "as over a line with a round trip of MS milliseconds (default 20). Prints\n"
    "\"listening on 127.0.0.1:N\" once listening; SIGINT or SIGTERM ends it.\n";

// One direction of a connection: what was read, and when it may arrive.
class Pipe {
 public:
  Pipe(tcp::socket& from, tcp::socket& to, Clock::time_point open, Clock::duration half)
      : from_(from), to_(to), open_(open), half_(half), wake_(from.get_executor()) {
    wake_.expires_at(Clock::time_point::max());
  }

  asio::awaitable<void> read() {
    char buffer[65536];
    for (;;) {
      boost::system::error_code ec;
      size_t n = co_await from_.async_read_some(asio::buffer(buffer),
                                                asio::redirect_error(use_awaitable, ec));
      // Nothing goes before the connection would have been set up.
      Clock::time_point due = std::max(Clock::now(), open_) + half_;
      queue_.push_back({due, ec ? std::string() : std::string(buffer, n)});
      wake_.cancel();
      if (ec) co_return;
    }
  }

  asio::awaitable<void> write() {
    asio::steady_timer timer(to_.get_executor());
    for (;;) {
      if (queue_.empty()) {
        boost::system::error_code ec;
        wake_.expires_at(Clock::time_point::max());
        co_await wake_.async_wait(asio::redirect_error(use_awaitable, ec));
        continue;
      }
      timer.expires_at(queue_.front().due);
      co_await timer.async_wait(use_awaitable);
      std::string bytes = std::move(queue_.front().bytes);
      queue_.pop_front();
      boost::system::error_code ec;
      if (bytes.empty()) {  // the sender's close
        to_.shutdown(tcp::socket::shutdown_send, ec);
        co_return;
      }
      co_await asio::async_write(to_, asio::buffer(bytes), asio::redirect_error(use_awaitable, ec));
      if (ec) {
        from_.close(ec);  // the receiver is gone: so is the sender's side
        co_return;
      }
    }
  }

 private:
  struct Piece {
    Clock::time_point due;
    std::string bytes;  // empty: the end of the stream
  };
  tcp::socket& from_;
  tcp::socket& to_;
  Clock::time_point open_;
  Clock::duration half_;
  asio::steady_timer wake_;
  std::deque<Piece> queue_;
};

struct Link {
  tcp::socket client, server;
};

// One side of one pipe; the link lives as long as any of them.
asio::awaitable<void> pump(std::shared_ptr<Link>, std::shared_ptr<Pipe> pipe, bool reader) {
  try {
    if (reader)
      co_await pipe->read();
    else
      co_await pipe->write();
  } catch (const std::exception&) {
  }
}

asio::awaitable<void> relay(tcp::socket client, const Options& options) {
  auto executor = client.get_executor();
  auto link = std::make_shared<Link>(Link{std::move(client), tcp::socket(executor)});
  boost::system::error_code ec;
  tcp::resolver resolver(executor);
  auto endpoints = co_await resolver.async_resolve(options.host, options.targetPort,
                                                   asio::redirect_error(use_awaitable, ec));
  if (!ec)
    co_await asio::async_connect(link->server, endpoints, asio::redirect_error(use_awaitable, ec));
  if (ec) {
    std::fprintf(stderr, "slow-link: cannot reach %s:%s: %s\n", options.host.c_str(),
                 options.targetPort.c_str(), ec.message().c_str());
    co_return;
  }
  for (tcp::socket* s : {&link->client, &link->server}) s->set_option(tcp::no_delay(true), ec);
  Clock::duration half = options.rtt / 2;
  Clock::time_point open = Clock::now() + options.rtt;  // the handshake's round trip
  auto up = std::make_shared<Pipe>(link->client, link->server, open, half);
  auto down = std::make_shared<Pipe>(link->server, link->client, open, half);
  for (auto& pipe : {up, down}) {
    asio::co_spawn(executor, pump(link, pipe, true), asio::detached);
    asio::co_spawn(executor, pump(link, pipe, false), asio::detached);
  }
}

asio::awaitable<void> listen(tcp::acceptor& acceptor, const Options& options) {
  for (;;) {
    tcp::socket socket = co_await acceptor.async_accept(use_awaitable);
    asio::co_spawn(acceptor.get_executor(), relay(std::move(socket), options), asio::detached);
  }
}

Options parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    if (i + 1 >= argc) throw std::runtime_error(option + " needs a value");
    std::string value = argv[++i];
    if (option == "--to") {
      size_t colon = value.rfind(':');
      if (colon == std::string::npos) throw std::runtime_error("--to wants HOST:PORT");
      o.host = value.substr(0, colon);
      o.targetPort = value.substr(colon + 1);
    } else if (option == "--rtt") {
      o.rtt = std::chrono::milliseconds(std::stoi(value));
    } else if (option == "--port") {
      o.port = static_cast<uint16_t>(std::stoi(value));
    } else {
      throw std::runtime_error("unknown option \"" + option + "\"");
    }
  }
  if (o.host.empty()) throw std::runtime_error("--to is required");
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  try {
    options = parse(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "slow-link: %s\n%s", e.what(), kUsage);
    return 2;
  }
  asio::io_context ioc;
  tcp::acceptor acceptor(ioc);
  boost::system::error_code ec;
  tcp::endpoint where(asio::ip::address_v4::loopback(), options.port);
  acceptor.open(where.protocol(), ec);
  if (!ec) acceptor.set_option(asio::socket_base::reuse_address(true), ec);
  if (!ec) acceptor.bind(where, ec);
  if (!ec) acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    std::fprintf(stderr, "slow-link: cannot listen on port %u: %s\n", options.port,
                 ec.message().c_str());
    return 1;
  }
  asio::co_spawn(ioc, listen(acceptor, options), asio::detached);
  asio::signal_set signals(ioc, SIGINT, SIGTERM);
  signals.async_wait([&](boost::system::error_code, int) { ioc.stop(); });
  std::printf("listening on 127.0.0.1:%u\n", acceptor.local_endpoint().port());
  std::fflush(stdout);
  ioc.run();
  return 0;
}

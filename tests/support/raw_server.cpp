#include "tests/support/raw_server.h"

#include <chrono>
#include <optional>
#include <stdexcept>

#include "platform/beast.h"

namespace tavrix::testing {

using namespace net;

// Non-blocking sockets polled every 20 ms, so the server notices its stop;
// over TLS the stream keeps its state across the retries.
struct RawSocket {
  tcp::socket socket;
  std::optional<ssl::stream<tcp::socket&>> tls;

  size_t readSome(asio::mutable_buffer buffer, beast::error_code& ec) {
    return tls ? tls->read_some(buffer, ec) : socket.read_some(buffer, ec);
  }
  size_t writeSome(asio::const_buffer buffer, beast::error_code& ec) {
    return tls ? tls->write_some(buffer, ec) : socket.write_some(buffer, ec);
  }
};

struct RawServer::Listener {
  asio::io_context ioc;
  tcp::acceptor acceptor{ioc};
  std::optional<ssl::context> tls;
};

namespace {
void pause() {
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
}
}  // namespace

RawServer::RawServer(Handler handler, uint16_t port, const Identity* tls)
    : handler_(std::move(handler)), listener_(std::make_unique<Listener>()) {
  beast::error_code ec;
  if (tls) {
    listener_->tls.emplace(ssl::context::tls_server);
    listener_->tls->use_certificate_chain(asio::buffer(tls->certificatePem));
    listener_->tls->use_private_key(asio::buffer(tls->keyPem), ssl::context::pem);
  }
  tcp::endpoint where(asio::ip::address_v4::loopback(), port);
  tcp::acceptor& a = listener_->acceptor;
  a.open(where.protocol(), ec);
  if (!ec) a.set_option(asio::socket_base::reuse_address(true), ec);
  if (!ec) a.bind(where, ec);
  if (!ec) a.listen(16, ec);
  if (!ec) a.non_blocking(true, ec);
  if (ec)
    throw std::runtime_error("cannot listen on port " + std::to_string(port) + ": " + ec.message());
  port_ = a.local_endpoint().port();
  thread_ = std::thread([this] { serve(); });
}

RawServer::~RawServer() {
  stop_ = true;
  thread_.join();
}

std::vector<std::string> RawServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void RawServer::serve() {
  for (int index = 0; !stop_;) {
    beast::error_code ec;
    RawSocket s{tcp::socket(listener_->ioc), std::nullopt};
    listener_->acceptor.accept(s.socket, ec);
    if (ec) {
      pause();
      continue;
    }
    s.socket.non_blocking(true, ec);
    if (listener_->tls && !handshake(s)) {
      s.socket.close(ec);
      continue;
    }
    RawConnection connection(*this, s);
    try {
      handler_(connection, index++);
    } catch (...) {
    }
    // Closed as finished: OpenSSL keeps the session for a later resumption.
    if (s.tls) SSL_set_shutdown(s.tls->native_handle(), SSL_SENT_SHUTDOWN | SSL_RECEIVED_SHUTDOWN);
    s.socket.close(ec);
  }
}

bool RawServer::handshake(RawSocket& s) {
  s.tls.emplace(s.socket, *listener_->tls);
  for (int waits = 0; !stop_ && waits < 500; ++waits) {
    beast::error_code ec;
    s.tls->handshake(ssl::stream_base::server, ec);
    if (ec == asio::error::would_block) {
      pause();
      continue;
    }
    if (!ec && SSL_session_reused(s.tls->native_handle())) ++resumed_;
    return !ec;
  }
  return false;
}

std::string RawServer::reply(std::string_view body, std::string_view status,
                             std::string_view headers) {
  return "HTTP/1.1 " + std::string(status) + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\n" + std::string(headers) + "\r\n" + std::string(body);
}

bool RawConnection::readMore() {
  while (!server_.stop_) {
    char buffer[65536];
    beast::error_code ec;
    size_t n = socket_.readSome(asio::buffer(buffer), ec);
    if (ec == asio::error::would_block) {
      pause();
      continue;
    }
    if (ec || n == 0) return false;
    pending_.append(buffer, n);
    return true;
  }
  return false;
}

std::string RawConnection::readRequest() {
  size_t headEnd;
  while ((headEnd = pending_.find("\r\n\r\n")) == std::string::npos)
    if (!readMore()) return {};
  headEnd += 4;
  size_t length = 0;
  if (size_t at = pending_.find("Content-Length: "); at != std::string::npos && at < headEnd)
    length = std::stoul(pending_.substr(at + 16));
  while (pending_.size() < headEnd + length)
    if (!readMore()) break;
  std::string request = pending_.substr(0, headEnd + length);
  pending_.erase(0, request.size());
  std::lock_guard lock(server_.mutex_);
  server_.requests_.push_back(request);
  return request;
}

void RawConnection::send(std::string_view bytes) {
  while (!bytes.empty() && !server_.stop_) {
    beast::error_code ec;
    size_t n = socket_.writeSome(asio::buffer(bytes.data(), bytes.size()), ec);
    if (ec == asio::error::would_block) {
      pause();
      continue;
    }
    if (ec) return;
    bytes.remove_prefix(n);
  }
}

void RawConnection::waitForClose() {
  while (readMore()) {
  }
}

}  // namespace tavrix::testing

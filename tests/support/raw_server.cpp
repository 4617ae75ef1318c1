#include "tests/support/raw_server.h"

#include <chrono>
#include <stdexcept>

#include "platform/beast.h"

namespace tavrix::testing {

using namespace net;

// Non-blocking sockets polled every 20 ms, so the server notices its stop.
struct RawSocket {
  tcp::socket socket;
};

struct RawServer::Listener {
  asio::io_context ioc;
  tcp::acceptor acceptor{ioc};
};

namespace {
void pause() {
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
}
}  // namespace

RawServer::RawServer(Handler handler, uint16_t port)
    : handler_(std::move(handler)), listener_(std::make_unique<Listener>()) {
  beast::error_code ec;
  tcp::endpoint where(asio::ip::address_v4::loopback(), port);
  tcp::acceptor& a = listener_->acceptor;
  a.open(where.protocol(), ec);
  if (!ec) a.set_option(asio::socket_base::reuse_address(true), ec);
  if (!ec) a.bind(where, ec);
  if (!ec) a.listen(16, ec);
  if (!ec) a.non_blocking(true, ec);
  if (ec)
    throw std::runtime_error("cannot listen on port " + std::to_string(port) + ": " +
                             ec.message());
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
    RawSocket s{tcp::socket(listener_->ioc)};
    listener_->acceptor.accept(s.socket, ec);
    if (ec) {
      pause();
      continue;
    }
    s.socket.non_blocking(true, ec);
    RawConnection connection(*this, s);
    try {
      handler_(connection, index++);
    } catch (...) {
    }
    s.socket.close(ec);
  }
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
    size_t n = socket_.socket.read_some(asio::buffer(buffer), ec);
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
    size_t n = socket_.socket.write_some(asio::buffer(bytes.data(), bytes.size()), ec);
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

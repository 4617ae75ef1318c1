#include "tests/support/raw_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace tavrix::testing {

RawServer::RawServer(Handler handler, uint16_t port) : handler_(std::move(handler)) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  int one = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listener_, 16) != 0) {
    std::string why = std::strerror(errno);
    ::close(listener_);
    throw std::runtime_error("cannot listen on port " + std::to_string(port) + ": " + why);
  }
  socklen_t len = sizeof addr;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  thread_ = std::thread([this] { serve(); });
}

RawServer::~RawServer() {
  stop_ = true;
  thread_.join();
  ::close(listener_);
}

std::vector<std::string> RawServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void RawServer::serve() {
  for (int index = 0; !stop_;) {
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) continue;
    int fd = ::accept(listener_, nullptr, nullptr);
    if (fd < 0) continue;
    RawConnection connection(*this, fd);
    try {
      handler_(connection, index++);
    } catch (...) {
    }
    ::close(fd);
  }
}

std::string RawServer::reply(std::string_view body, std::string_view status,
                             std::string_view headers) {
  return "HTTP/1.1 " + std::string(status) + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\n" + std::string(headers) + "\r\n" + std::string(body);
}

bool RawConnection::readMore() {
  while (!server_.stop_) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) continue;
    char buffer[65536];
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    pending_.append(buffer, static_cast<size_t>(n));
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
  while (!bytes.empty()) {
    ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

void RawConnection::waitForClose() {
  while (readMore()) {
  }
}

}  // namespace tavrix::testing

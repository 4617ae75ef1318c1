// A loopback TCP server (or TLS server) that hands each connection to a
// handler and keeps the raw bytes of every request it reads: what the client
// really put on the wire.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/support/test_certificates.h"

namespace tavrix::testing {

class RawServer;
struct RawSocket;  // the connection's socket; Asio stays in the .cpp

class RawConnection {
 public:
  // The head up to the empty line, then as many bytes as Content-Length says.
  std::string readRequest();
  void send(std::string_view bytes);
  // Returns when the client has closed its side (or the server stops).
  void waitForClose();

 private:
  friend class RawServer;
  RawConnection(RawServer& server, RawSocket& socket) : server_(server), socket_(socket) {}
  bool readMore();
  RawServer& server_;
  RawSocket& socket_;
  std::string pending_;
};

class RawServer {
 public:
  // The handler gets each connection in turn, with its number from 0.
  using Handler = std::function<void(RawConnection&, int index)>;

  // Listens on 127.0.0.1:port (0: any free port); with an identity, inside
  // TLS (the requests kept are the bytes inside). Raises when it cannot bind.
  explicit RawServer(Handler handler, uint16_t port = 0, const Identity* tls = nullptr);
  ~RawServer();

  uint16_t port() const { return port_; }
  std::vector<std::string> requests() const;
  // TLS connections that resumed an earlier session.
  int resumedSessions() const { return resumed_; }

  // A reply with a body and the given status and extra header lines.
  static std::string reply(std::string_view body, std::string_view status = "200 OK",
                           std::string_view headers = "");

 private:
  friend class RawConnection;
  void serve();
  bool handshake(RawSocket& s);

  struct Listener;
  Handler handler_;
  std::unique_ptr<Listener> listener_;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> resumed_{0};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace tavrix::testing

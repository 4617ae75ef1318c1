// The simulator's command line.
#pragma once

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/headoffice/plain_select.h"

namespace tavrix::sim {

// Faults to inject into the next N requests of one endpoint.
struct EndpointFaults {
  int refuse = 0;                      // answer 503
  int drop = 0;                        // close the connection halfway through the reply
  int redirect = 0;                    // answer 302 back to the same place
  int lose = 0;                        // run the request in full, then close without a reply
  std::chrono::milliseconds delay{0};  // before every reply of this endpoint
};

struct Machine {
  std::string no, stockId, storeId;
};

struct SimOptions {
  uint16_t port = 0;
  std::string bind = "127.0.0.1";
  std::string database;
  bool create = false;
  std::vector<Machine> machines;                            // MCH_ITEM rows made with --create
  std::string user = "SYSDBA", password = "quietbell";      // the service's credentials
  std::string dbUser = "SYSDBA", dbPassword = "quietbell";  // the database login
  std::string recordDir;
  std::string tlsCert, tlsKey;         // PEM files: serve HTTPS instead of HTTP
  bool tls12Only = false;              // as a head office whose server knows no TLS 1.3
  std::chrono::milliseconds delay{0};  // before every reply
  EndpointFaults query, script;
  int noSuccess = 0;    // script replies without "success", batch not run
  int fakeSuccess = 0;  // script replies with "success", batch not run
  bool chunked = false;
  bool keepAlive = true;  // keep a connection open when the client asks
  int closeAfter = 0;     // close a kept connection after this many replies
  // The queries answered: those of a small head office, or any SELECT.
  WhereShape where = WhereShape::Comparisons;
  bool anySelect = false;
  bool help = false;
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

SimOptions parseOptions(int argc, const char* const* argv);
std::string usage();

}  // namespace tavrix::sim

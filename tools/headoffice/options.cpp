#include "tools/headoffice/options.h"

#include <string_view>
#include <utility>

#include "platform/text/number_text.h"

namespace tavrix::sim {

namespace {

int count(const std::string& option, const std::string& value) {
  auto n = text::parseInteger(value);
  if (!n || *n < 0 || *n > 1000000)
    throw UsageError(option + " wants a count, not \"" + value + "\"");
  return static_cast<int>(*n);
}

// "query:N" or "script:N": the endpoint's faults and N.
std::pair<EndpointFaults*, int> endpointCount(SimOptions& o, const std::string& option,
                                              const std::string& value) {
  size_t colon = value.find(':');
  std::string endpoint = value.substr(0, colon);
  if (colon == std::string::npos || (endpoint != "query" && endpoint != "script"))
    throw UsageError(option + " wants query:N or script:N, not \"" + value + "\"");
  return {endpoint == "query" ? &o.query : &o.script, count(option, value.substr(colon + 1))};
}

void endpointFault(SimOptions& o, const std::string& option, const std::string& value,
                   int EndpointFaults::*field) {
  auto [faults, n] = endpointCount(o, option, value);
  faults->*field = n;
}

}  // namespace

std::string usage() {
  return R"(usage: headoffice-sim --database DSN [options]

A head-office data service for development, tests and demos. It answers the
till uploader's two endpoints from a Firebird database:
  /Kesp/<driver>/index.php        one SELECT, answered with an XML data packet
                                  (only the plain shape a small head office
                                  reads: SELECT [FIRST n] * or column names
                                  FROM one table [WHERE comparisons of columns
                                  with values, AND, OR, parentheses]; anything
                                  else is refused with <RESULT>)
  /Kesp/<driver>/sql_scripts.php  a statement batch, run in one transaction
Any other path answers 404. Once listening it prints one line
"listening on ADDR:PORT", then one line per request.

Options:
  --database DSN        the head-office database, host:path (required)
  --create              create that database from the head-office schema first
  --machine NO,STOCK,STORE
                        with --create: an MCH_ITEM row of a till machine
                        (once for each till)
  --port N              port to listen on; 0 (the default) picks a free one
  --bind ADDR           address to listen on (default 127.0.0.1)
  --user NAME           service user name the clients must send (default SYSDBA)
  --password TEXT       service password the clients must send (default quietbell)
  --db-user NAME        database login (default SYSDBA)
  --db-password TEXT    database password (default quietbell)
  --record DIR          write every request and reply, raw, to DIR
                        (NNNN-request.http, NNNN-reply.http; inside TLS, the
                        bytes as sent and received inside it)
  --tls-cert FILE       serve HTTPS: the server's certificate chain (PEM)
  --tls-key FILE        and its private key (PEM)
  --tls12-only          with --tls-cert: TLS 1.2 at most, as older servers
  --any-select          answer any single SELECT the database takes
  --equals-only         answer only WHERE clauses of "=" comparisons joined
                        by AND, as the oldest head offices
Faults, for tests and demos:
  --delay MS            wait MS milliseconds before every reply (the work is
                        done first); --delay EP:MS for one endpoint's replies
  --refuse EP:N         answer the next N requests of endpoint EP with 503
  --drop EP:N           close the connection halfway through the next N replies
  --redirect EP:N       answer the next N requests with a redirect to themselves
  --lose EP:N           run the next N requests in full (a batch is committed),
                        then close the connection without a reply
  --no-success N        answer the next N scripts without "success" (not run)
  --fake-success N      answer the next N scripts with "success" but run nothing
  --chunked             send every reply in chunked transfer coding
  --no-keep-alive       close every connection after its reply, announced
                        ("Connection: close"), as PHP's built-in server does
                        (by default a connection is kept when the client asks)
  --close-after N       close a kept connection after its Nth reply, without
                        saying so: the client finds it gone at its next request
  EP is "query" or "script".
  --help                this text
)";
}

SimOptions parseOptions(int argc, const char* const* argv) {
  SimOptions o;
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError(option + " needs a value");
      return argv[++i];
    };
    if (option == "--help" || option == "-h") {
      o.help = true;
    } else if (option == "--database") {
      o.database = value();
    } else if (option == "--create") {
      o.create = true;
    } else if (option == "--machine") {
      std::string v = value();
      size_t a = v.find(','), b = a == std::string::npos ? a : v.find(',', a + 1);
      if (b == std::string::npos) throw UsageError("--machine wants NO,STOCK,STORE");
      o.machines.push_back({v.substr(0, a), v.substr(a + 1, b - a - 1), v.substr(b + 1)});
    } else if (option == "--port") {
      int port = count(option, value());
      if (port > 65535) throw UsageError("--port must be at most 65535");
      o.port = static_cast<uint16_t>(port);
    } else if (option == "--bind") {
      o.bind = value();
    } else if (option == "--user") {
      o.user = value();
    } else if (option == "--password") {
      o.password = value();
    } else if (option == "--db-user") {
      o.dbUser = value();
    } else if (option == "--db-password") {
      o.dbPassword = value();
    } else if (option == "--record") {
      o.recordDir = value();
    } else if (option == "--delay") {
      std::string v = value();
      if (v.find(':') == std::string::npos) {
        o.delay = std::chrono::milliseconds(count(option, v));
      } else {
        auto [faults, ms] = endpointCount(o, option, v);
        faults->delay = std::chrono::milliseconds(ms);
      }
    } else if (option == "--refuse") {
      endpointFault(o, option, value(), &EndpointFaults::refuse);
    } else if (option == "--drop") {
      endpointFault(o, option, value(), &EndpointFaults::drop);
    } else if (option == "--redirect") {
      endpointFault(o, option, value(), &EndpointFaults::redirect);
    } else if (option == "--lose") {
      endpointFault(o, option, value(), &EndpointFaults::lose);
    } else if (option == "--no-success") {
      o.noSuccess = count(option, value());
    } else if (option == "--fake-success") {
      o.fakeSuccess = count(option, value());
    } else if (option == "--tls-cert") {
      o.tlsCert = value();
    } else if (option == "--tls-key") {
      o.tlsKey = value();
    } else if (option == "--tls12-only") {
      o.tls12Only = true;
    } else if (option == "--any-select") {
      o.anySelect = true;
    } else if (option == "--equals-only") {
      o.where = WhereShape::EqualsAndAnd;
    } else if (option == "--chunked") {
      o.chunked = true;
    } else if (option == "--no-keep-alive") {
      o.keepAlive = false;
    } else if (option == "--close-after") {
      o.closeAfter = count(option, value());
    } else {
      throw UsageError("unknown option \"" + option + "\"");
    }
  }
  if (!o.help && o.database.empty()) throw UsageError("--database is required");
  if (o.anySelect && o.where == WhereShape::EqualsAndAnd)
    throw UsageError("--any-select and --equals-only exclude each other");
  if (!o.machines.empty() && !o.create) throw UsageError("--machine goes with --create");
  if (o.tlsCert.empty() != o.tlsKey.empty())
    throw UsageError("--tls-cert and --tls-key go together");
  if (o.tls12Only && o.tlsCert.empty()) throw UsageError("--tls12-only goes with --tls-cert");
  if (o.closeAfter > 0 && !o.keepAlive)
    throw UsageError("--close-after goes without --no-keep-alive");
  return o;
}

}  // namespace tavrix::sim

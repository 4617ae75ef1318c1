// The service URLs: taking them apart for a request, and the percent
// encoding of the script request's URL.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrix {

struct RequestUrl {
  bool tls = false;  // "https://": the request goes inside TLS
  std::string host;
  bool hasPort = false;  // a ":" after the host
  std::string portText;  // as written; empty when the URL has none
  std::string target;    // from the first "/" after host and port, cut before "#"
};

// Every backslash becomes "/" first, except one that is the second byte of a
// Big5 character. The host ends at its first ":".
RequestUrl splitUrl(std::string_view url);

// No port at all means the scheme's own (80, or 443 for https); an empty port
// text after a ":" means 80; anything but a decimal port number is nothing.
std::optional<uint16_t> portNumber(const RequestUrl& url);

// The Host header: the host, and ":" + port text unless that is exactly "80".
std::string hostHeader(const RequestUrl& url);

// Where a Location header leads from `base`: an absolute URL, an absolute
// path on the same server, or a path relative to the base's folder.
RequestUrl followLocation(const RequestUrl& base, std::string_view location);

// Byte by byte: letters, digits and $-_@.&+!*"(),;/#?: stay, a blank becomes
// %20, every other byte %XX (capital hex). Never fails.
std::string URLEncode(std::string_view text);

}  // namespace tavrix

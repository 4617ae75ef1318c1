// The service URLs: taking them apart for a request, and the percent
// encoding of the script request's URL.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrix {

struct RequestUrl {
  std::string host;
  std::string portText;  // as written; empty when the URL has none
  std::string target;    // from the first "/" after host and port, cut before "#"
};

// Every backslash becomes "/" first, except one that is the second byte of a
// Big5 character. The host ends at its first ":".
RequestUrl splitUrl(std::string_view url);

// Empty port text means 80; anything but a decimal port number is nothing.
std::optional<uint16_t> portNumber(std::string_view portText);

// The Host header: the host, and ":" + port text unless that is exactly "80".
std::string hostHeader(const RequestUrl& url);

// Where a Location header leads from `base`: an absolute URL, an absolute
// path on the same server, or a path relative to the base's folder.
RequestUrl followLocation(const RequestUrl& base, std::string_view location);

// Byte by byte: letters, digits and $-_@.&+!*"(),;/#?: stay, a blank becomes
// %20, every other byte %XX (capital hex). Never fails.
std::string URLEncode(std::string_view text);

}  // namespace tavrix

#include "service/url.h"

#include <cstdio>

#include "platform/text/ascii.h"
#include "platform/text/big5.h"
#include "platform/text/number_text.h"

namespace tavrix {

RequestUrl splitUrl(std::string_view in) {
  std::string url(in);
  for (size_t i = 0; i < url.size(); i += text::big5CharLength(url, i))
    if (url[i] == '\\' && text::big5CharLength(url, i) == 1) url[i] = '/';

  RequestUrl out;
  std::string_view rest = url;
  if (size_t scheme = rest.find("://"); scheme != std::string_view::npos) {
    out.tls = text::sameText(rest.substr(0, scheme), "https");
    rest.remove_prefix(scheme + 3);
  }
  size_t slash = rest.find('/');
  std::string_view hostPort = rest.substr(0, slash);
  std::string_view target = slash == std::string_view::npos ? "/" : rest.substr(slash);
  target = target.substr(0, target.find('#'));

  size_t colon = hostPort.find(':');
  out.host = hostPort.substr(0, colon);
  out.hasPort = colon != std::string_view::npos;
  if (out.hasPort) out.portText = hostPort.substr(colon + 1);
  out.target = target;
  return out;
}

std::optional<uint16_t> portNumber(const RequestUrl& url) {
  std::string_view portText = url.portText;
  if (!url.hasPort) return url.tls ? 443 : 80;
  if (portText.empty()) return 80;
  for (char c : portText)
    if (c < '0' || c > '9') return std::nullopt;
  auto n = text::parseInteger(portText);
  if (!n || *n > 65535) return std::nullopt;
  return static_cast<uint16_t>(*n);
}

std::string hostHeader(const RequestUrl& url) {
  return url.portText == "80" ? url.host : url.host + ":" + url.portText;
}

RequestUrl followLocation(const RequestUrl& base, std::string_view location) {
  if (location.find("://") != std::string_view::npos) return splitUrl(location);
  RequestUrl next = base;
  std::string target(location.substr(0, location.find('#')));
  if (target.empty() || target.front() != '/') {
    std::string folder = base.target.substr(0, base.target.find('?'));
    folder = folder.substr(0, folder.rfind('/') + 1);
    target = folder + target;
  }
  next.target = target;
  return next;
}

std::string URLEncode(std::string_view s) {
  static const std::string_view kKept = "$-_@.&+!*\"(),;/#?:";
  std::string out;
  out.reserve(s.size() * 3);
  for (char c : s) {
    char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    bool letterOrDigit = (upper >= 'A' && upper <= 'Z') || (c >= '0' && c <= '9');
    if (letterOrDigit || kKept.find(c) != std::string_view::npos) {
      out += c;
    } else if (c == ' ') {
      out += "%20";
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
      out += hex;
    }
  }
  return out;
}

}  // namespace tavrix

#include "service/cookie_jar.h"

#include "platform/text/ascii.h"
#include "platform/text/number_text.h"

namespace tavrix {

namespace {

std::string_view pathOf(const RequestUrl& url) {
  std::string_view target = url.target;
  return target.substr(0, target.find('?'));
}

// The folder of the request path, as a cookie's default path.
std::string defaultPath(std::string_view path) {
  size_t slash = path.rfind('/');
  if (path.empty() || path.front() != '/' || slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

bool pathMatches(std::string_view requestPath, std::string_view cookiePath) {
  if (requestPath.substr(0, cookiePath.size()) != cookiePath) return false;
  return requestPath.size() == cookiePath.size() || cookiePath.back() == '/' ||
         requestPath[cookiePath.size()] == '/';
}

std::string unquoted(std::string_view v) {
  v = text::trimBlanks(v);
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  return std::string(v);
}

}  // namespace

void CookieJar::store(const RequestUrl& from, std::string_view setCookie) {
  Cookie c;
  c.domain = from.host;
  c.path = defaultPath(pathOf(from));
  bool remove = false;
  bool first = true;
  while (!setCookie.empty()) {
    size_t semi = setCookie.find(';');
    std::string_view part = text::trimBlanks(setCookie.substr(0, semi));
    setCookie.remove_prefix(semi == std::string_view::npos ? setCookie.size() : semi + 1);
    size_t eq = part.find('=');
    std::string_view name = text::trimBlanks(part.substr(0, eq));
    std::string value = eq == std::string_view::npos ? "" : unquoted(part.substr(eq + 1));
    if (first) {
      if (eq == std::string_view::npos || name.empty()) return;  // no cookie at all
      c.name = name;
      c.value = value;
      first = false;
    } else if (text::sameText(name, "Path") && !value.empty() && value.front() == '/') {
      c.path = value;
    } else if (text::sameText(name, "Domain") && !value.empty()) {
      c.domain = value.front() == '.' ? value.substr(1) : value;
      c.hostOnly = false;
    } else if (text::sameText(name, "Max-Age")) {
      auto age = text::parseInteger(value);
      remove = age && *age <= 0;
    }
  }
  std::erase_if(cookies_, [&](const Cookie& k) {
    return k.name == c.name && text::sameText(k.domain, c.domain) && k.path == c.path;
  });
  if (!remove) cookies_.push_back(std::move(c));
}

std::string CookieJar::header(const RequestUrl& to) const {
  std::string out;
  for (const Cookie& c : cookies_) {
    bool domainOk =
        text::sameText(to.host, c.domain) ||
        (!c.hostOnly && to.host.size() > c.domain.size() &&
         text::sameText(std::string_view(to.host).substr(to.host.size() - c.domain.size() - 1),
                        "." + c.domain));
    if (!domainOk || !pathMatches(pathOf(to), c.path)) continue;
    if (!out.empty()) out += "; ";
    out += c.name + "=" + c.value;
  }
  return out;
}

}  // namespace tavrix

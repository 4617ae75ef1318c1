// Cookies the service sets, kept for the life of the process and sent back to
// the same server and path.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "service/url.h"

namespace tavrix {

class CookieJar {
 public:
  // A Set-Cookie or Set-Cookie2 value received from `from`. Max-Age=0 (or
  // less) removes the cookie.
  void store(const RequestUrl& from, std::string_view setCookie);
  // "name=value; name2=value2" for a request to `to`; empty when none apply.
  std::string header(const RequestUrl& to) const;
  bool empty() const { return cookies_.empty(); }

 private:
  struct Cookie {
    std::string name, value, domain, path;
    bool hostOnly = true;
  };
  std::vector<Cookie> cookies_;
};

}  // namespace tavrix

// Big5 conversion through iconv (glibc knows code page 950 as CP950).
#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "platform/text/big5.h"

namespace tavrix::text {

namespace {

// Converts with iconv; a byte sequence that cannot be converted is skipped
// (one character of the input) and written as "?".
std::string convert(const char* to, const char* from, std::string_view in, bool fromBig5) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert");
  std::string out;
  out.reserve(in.size() * 2);
  char buffer[1024];
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  while (left > 0) {
    char* dst = buffer;
    size_t room = sizeof buffer;
    size_t rc = iconv(cd, &src, &left, &dst, &room);
    out.append(buffer, dst - buffer);
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: drop one character of the input.
    size_t skip = 1;
    if (fromBig5) {
      skip = big5CharLength(std::string_view(src, left), 0);
    } else {
      auto c = static_cast<unsigned char>(*src);
      skip = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      if (skip > left) skip = left;
    }
    src += skip;
    left -= skip;
    out += '?';
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string plainBig5ToUtf8(std::string_view big5) {
  return convert("UTF-8", "CP950", big5, true);
}
std::string utf8ToBig5(std::string_view utf8) {
  return convert("CP950", "UTF-8", utf8, false);
}

}  // namespace tavrix::text

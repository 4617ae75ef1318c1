// Big5 conversion through the Windows code-page functions (code page 950).
#include <windows.h>

#include "platform/text/big5.h"

namespace tavrix::text {

namespace {

constexpr UINT kBig5 = 950;

// Text in `codePage` to UTF-16, or nothing when any of it is invalid.
bool toWide(UINT codePage, std::string_view in, std::wstring& out) {
  out.clear();
  if (in.empty()) return true;
  int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                              static_cast<int>(in.size()), nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<size_t>(n));
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()),
                      out.data(), n);
  return true;
}

// UTF-16 to `codePage`; a character the code page lacks becomes "?".
std::string fromWide(UINT codePage, std::wstring in) {
  if (in.empty()) return {};
  // No Big5 character lies beyond the first plane: a surrogate pair is one
  // character the code page lacks, one "?" as on the iconv side.
  if (codePage != CP_UTF8)
    for (size_t i = 0; i + 1 < in.size(); ++i)
      if (IS_HIGH_SURROGATE(in[i]) && IS_LOW_SURROGATE(in[i + 1])) in.replace(i, 2, 1, L'?');
  DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* fallback = codePage == CP_UTF8 ? nullptr : "?";
  int n = WideCharToMultiByte(codePage, flags, in.data(), static_cast<int>(in.size()), nullptr, 0,
                              fallback, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(codePage, flags, in.data(), static_cast<int>(in.size()), out.data(), n,
                        fallback, nullptr);
  return out;
}

// Converts the whole text at once; where some of it is invalid, character by
// character, each invalid one becoming "?" (as the iconv side does).
std::string convert(UINT from, UINT to, std::string_view in,
                    size_t (*charLength)(std::string_view, size_t)) {
  std::wstring wide;
  if (toWide(from, in, wide)) return fromWide(to, wide);
  std::string out;
  for (size_t i = 0; i < in.size();) {
    size_t n = charLength(in, i);
    if (toWide(from, in.substr(i, n), wide))
      out += fromWide(to, wide);
    else
      out += '?';
    i += n;
  }
  return out;
}

size_t utf8CharLength(std::string_view s, size_t i) {
  auto c = static_cast<unsigned char>(s[i]);
  size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  return n > s.size() - i ? s.size() - i : n;
}

}  // namespace

std::string plainBig5ToUtf8(std::string_view big5) {
  return convert(kBig5, CP_UTF8, big5, big5CharLength);
}
std::string utf8ToBig5(std::string_view utf8) {
  return convert(CP_UTF8, kBig5, utf8, utf8CharLength);
}

}  // namespace tavrix::text

// The little SQL lexing that splitting and counting need.
#pragma once

#include <string>
#include <string_view>

namespace tavrix::localdb {

// At a quote (' or "), the position after the literal or quoted name; a
// doubled quote stays inside. Elsewhere `i` itself.
inline size_t skipQuoted(std::string_view s, size_t i) {
  if (i >= s.size() || (s[i] != '\'' && s[i] != '"')) return i;
  char q = s[i++];
  while (i < s.size()) {
    if (s[i] == q && i + 1 < s.size() && s[i + 1] == q)
      i += 2;
    else if (s[i++] == q)
      break;
  }
  return i;
}

// At "--" or "/*", the position after the comment. Elsewhere `i` itself.
inline size_t skipComment(std::string_view s, size_t i) {
  if (s.compare(i, 2, "--") == 0) {
    size_t e = s.find('\n', i);
    return e == std::string_view::npos ? s.size() : e;
  }
  if (s.compare(i, 2, "/*") == 0) {
    size_t e = s.find("*/", i + 2);
    return e == std::string_view::npos ? s.size() : e + 2;
  }
  return i;
}

// A string literal: the text between apostrophes, its own apostrophes doubled.
inline std::string quoteLiteral(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

}  // namespace tavrix::localdb

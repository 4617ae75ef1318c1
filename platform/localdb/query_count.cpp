// The statement behind a query's record count.
#include <cctype>
#include <string>
#include <vector>

#include "platform/localdb/query.h"
#include "platform/localdb/sql_lexer.h"
#include "platform/text/ascii.h"

namespace tavrix::localdb {

namespace {

struct Token {
  size_t begin, end;
  int depth;  // parentheses around the token
  bool word;  // identifier, keyword or number
  bool open;  // "("
};

bool wordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

// Tokens outside comments; literals and quoted names are single tokens.
std::vector<Token> scan(std::string_view s) {
  std::vector<Token> out;
  int depth = 0;
  size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (size_t e = skipComment(s, i); e != i) {
      i = e;
    } else if (size_t e = skipQuoted(s, i); e != i) {
      out.push_back({i, e, depth, false, false});
      i = e;
    } else if (wordChar(c)) {
      size_t b = i;
      while (i < s.size() && wordChar(s[i])) ++i;
      out.push_back({b, i, depth, true, false});
    } else {
      if (c == ')') --depth;
      out.push_back({i, i + 1, depth, false, c == '('});
      if (c == '(') ++depth;
      ++i;
    }
  }
  return out;
}

bool is(std::string_view s, const Token& t, std::string_view keyword) {
  if (!t.word || t.depth != 0 || t.end - t.begin != keyword.size()) return false;
  return text::sameText(s.substr(t.begin, keyword.size()), keyword);
}

}  // namespace

std::string countStatement(std::string_view s) {
  while (!s.empty() && (std::isspace(static_cast<unsigned char>(s.back())) || s.back() == ';'))
    s.remove_suffix(1);
  std::vector<Token> t = scan(s);
  if (t.empty() || !is(s, t[0], "SELECT")) return "SELECT COUNT(*) FROM (" + std::string(s) + ")";

  // Drop FIRST n and SKIP n: the count covers every row.
  size_t k = 1, bodyStart = t[0].end;
  for (std::string_view clause : {"FIRST", "SKIP"}) {
    if (k + 1 >= t.size() || !is(s, t[k], clause)) continue;
    size_t arg = k + 1;
    if (t[arg].open) {
      while (arg + 1 < t.size() && t[arg + 1].depth > 0) ++arg;
      ++arg;  // the closing parenthesis
    }
    if (arg >= t.size()) break;
    bodyStart = t[arg].end;
    k = arg + 1;
  }

  bool keepList = k < t.size() && is(s, t[k], "DISTINCT");
  size_t from = 0, orderBy = s.size();
  for (size_t i = k; i < t.size(); ++i) {
    if (is(s, t[i], "UNION")) keepList = true;
    if (!from && is(s, t[i], "FROM")) from = t[i].begin;
    if (i + 1 < t.size() && is(s, t[i], "ORDER") && is(s, t[i + 1], "BY")) orderBy = t[i].begin;
  }
  // Counting a constant instead of the select list avoids the limits of a
  // derived table (unnamed or repeated columns); DISTINCT and UNION need the
  // list itself.
  if (keepList || !from)
    return "SELECT COUNT(*) FROM (SELECT " + std::string(s.substr(bodyStart)) + ")";
  return "SELECT COUNT(*) FROM (SELECT 1 AS ONE " + std::string(s.substr(from, orderBy - from)) +
         ")";
}

}  // namespace tavrix::localdb

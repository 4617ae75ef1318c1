#include "tools/headoffice/plain_select.h"

#include <cctype>
#include <vector>

#include "platform/text/ascii.h"

namespace tavrix::sim {

namespace {

struct Token {
  enum Kind { Word, Number, Literal, Symbol, End } kind;
  std::string_view text;
};

// A statement that cannot even be read as tokens.
struct Unreadable {
  std::string why;
};

bool wordStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool wordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}
bool digit(char c) {
  return std::isdigit(static_cast<unsigned char>(c));
}

size_t literalEnd(std::string_view s, size_t i) {
  for (++i; i < s.size(); ++i) {
    if (s[i] != '\'') continue;
    if (i + 1 < s.size() && s[i + 1] == '\'')
      ++i;  // a doubled apostrophe stays inside
    else
      return i + 1;
  }
  throw Unreadable{"A LITERAL WITHOUT ITS CLOSING APOSTROPHE"};
}

std::vector<Token> tokens(std::string_view s) {
  std::vector<Token> out;
  size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    size_t end = i + 1;
    Token::Kind kind = Token::Symbol;
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
      continue;
    } else if (c == '\'') {
      kind = Token::Literal;
      end = literalEnd(s, i);
    } else if (wordStart(c)) {
      kind = Token::Word;
      while (end < s.size() && wordChar(s[end])) ++end;
    } else if (digit(c)) {
      kind = Token::Number;
      while (end < s.size() && (digit(s[end]) || s[end] == '.')) ++end;
    } else if ((c == '<' || c == '>' || c == '!') && end < s.size() &&
               (s[end] == '=' || (c == '<' && s[end] == '>'))) {
      ++end;
    } else if (std::string_view("(),*=<>;.").find(c) == std::string_view::npos) {
      throw Unreadable{"UNEXPECTED \"" + std::string(s.substr(i, 1)) + "\""};
    }
    out.push_back({kind, s.substr(i, end - i)});
    i = end;
  }
  out.push_back({Token::End, s.substr(s.size())});
  return out;
}

bool is(const Token& t, std::string_view keyword) {
  return t.kind == Token::Word && text::sameText(t.text, keyword);
}

bool reserved(const Token& t) {
  static constexpr std::string_view kWords[] = {
      "SELECT", "FROM",     "WHERE",   "AND",        "OR",       "NOT",  "IS",
      "NULL",   "UNION",    "JOIN",    "GROUP",      "ORDER",    "BY",   "HAVING",
      "AS",     "FIRST",    "SKIP",    "ON",         "IN",       "LIKE", "EXISTS",
      "ALL",    "DISTINCT", "BETWEEN", "CONTAINING", "STARTING", "LEFT", "RIGHT",
      "INNER",  "OUTER",    "CROSS",   "FULL",       "NATURAL",  "CASE", "CAST"};
  for (std::string_view w : kWords)
    if (is(t, w)) return true;
  return false;
}

bool plainName(const Token& t) {
  return t.kind == Token::Word && !reserved(t);
}

class Reader {
 public:
  Reader(std::string_view sql, std::vector<Token> t, WhereShape where)
      : sql_(sql), t_(std::move(t)), where_(where) {}

  std::string refusal() {
    for (const Token& t : t_) {
      if (&t != &t_[0] && (is(t, "SELECT") || is(t, "UNION")))
        return "ONE SELECT ONLY, NOT A SECOND ONE (\"" + std::string(t.text) + "\")";
      if (is(t, "JOIN")) return "ONE TABLE ONLY, NOT A JOIN";
    }
    if (!is(t_[0], "SELECT")) return "ONLY SELECT IS ANSWERED HERE";
    ++at_;
    if (is(peek(), "FIRST")) {
      ++at_;
      if (take().kind != Token::Number) return "FIRST WANTS A NUMBER";
    }
    if (std::string why = columns(); !why.empty()) return why;
    if (!plainName(take())) return "ONE TABLE NAME AFTER FROM";
    if (is(peek(), "WHERE")) {
      ++at_;
      if (std::string why = condition(0); !why.empty()) return why;
    }
    if (peek().text == ";") ++at_;
    if (peek().kind == Token::End) return "";
    if (peek().text == ",") return "ONE TABLE ONLY, NOT " + rest();
    return "NOT ANSWERED HERE: " + rest();
  }

 private:
  const Token& peek() const { return t_[at_]; }
  const Token& take() { return t_[at_ < t_.size() - 1 ? at_++ : at_]; }
  // The statement from the token in hand on, shortened, for a refusal.
  std::string rest() const {
    size_t from = static_cast<size_t>(peek().text.data() - sql_.data());
    std::string_view tail = sql_.substr(from, 60);
    while (!tail.empty() && (tail.back() == ' ' || tail.back() == '\r' || tail.back() == '\n'))
      tail.remove_suffix(1);
    return "\"" + std::string(tail) + "\"";
  }

  std::string columns() {
    if (peek().text == "*") {
      ++at_;
    } else {
      for (;;) {
        size_t item = at_;
        if (plainName(peek()) && (t_[at_ + 1].text == "," || is(t_[at_ + 1], "FROM"))) {
          ++at_;
        } else {
          while (peek().kind != Token::End && peek().text != "," && !is(peek(), "FROM")) ++at_;
          if (at_ == item) return "NOT A PLAIN COLUMN: " + rest();
          size_t from = static_cast<size_t>(t_[item].text.data() - sql_.data());
          size_t to =
              static_cast<size_t>(t_[at_ - 1].text.data() - sql_.data()) + t_[at_ - 1].text.size();
          return "NOT A PLAIN COLUMN: " + std::string(sql_.substr(from, to - from));
        }
        if (peek().text != ",") break;
        ++at_;
      }
    }
    if (!is(take(), "FROM")) return "NO FROM";
    return "";
  }

  // condition := conjunction {OR conjunction}; conjunction := factor {AND factor}
  std::string condition(int depth) {
    for (;;) {
      if (std::string why = factor(depth); !why.empty()) return why;
      if (is(peek(), "AND")) {
        ++at_;
      } else if (is(peek(), "OR") && where_ == WhereShape::Comparisons) {
        ++at_;
      } else {
        return "";
      }
    }
  }

  std::string factor(int depth) {
    if (peek().text == "(" && where_ == WhereShape::Comparisons) {
      ++at_;
      if (std::string why = condition(depth + 1); !why.empty()) return why;
      if (take().text != ")") return "A PARENTHESIS LEFT OPEN";
      return "";
    }
    if (!plainName(peek())) return notAComparison();
    ++at_;
    if (is(peek(), "IS") && is(t_[at_ + 1], "NULL") && where_ == WhereShape::Comparisons) {
      at_ += 2;
      return "";
    }
    if (!comparison(peek())) return notAComparison();
    ++at_;
    if (peek().kind != Token::Literal && peek().kind != Token::Number) return notAComparison();
    ++at_;
    return "";
  }

  bool comparison(const Token& t) const {
    if (t.kind != Token::Symbol) return false;
    if (where_ == WhereShape::EqualsAndAnd) return t.text == "=";
    for (std::string_view op : {"=", "<>", "<", ">", "<=", ">="})
      if (t.text == op) return true;
    return false;
  }

  std::string notAComparison() const {
    if (where_ == WhereShape::EqualsAndAnd)
      return "ONLY COLUMN = VALUE JOINED BY AND IS ANSWERED HERE, NOT " + rest();
    return "NOT A COMPARISON OF A COLUMN WITH A VALUE: " + rest();
  }

  std::string_view sql_;
  std::vector<Token> t_;
  WhereShape where_;
  size_t at_ = 0;
};

}  // namespace

std::string refusedShape(std::string_view sql, WhereShape where) {
  try {
    std::string why = Reader(sql, tokens(sql), where).refusal();
    return why.empty() ? "" : "ERROR: " + why;
  } catch (const Unreadable& e) {
    return "ERROR: " + e.why;
  }
}

}  // namespace tavrix::sim

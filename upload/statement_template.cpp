#include "upload/statement_template.h"

namespace tavrix {

std::string expand(std::string_view pattern,
                   const std::function<std::string(std::string_view name)>& lookup) {
  std::string out;
  out.reserve(pattern.size() + 32);
  size_t at = 0;
  while (at < pattern.size()) {
    size_t open = pattern.find('{', at);
    size_t close = open == std::string_view::npos ? open : pattern.find('}', open);
    if (close == std::string_view::npos) {
      out.append(pattern.substr(at));
      break;
    }
    out.append(pattern.substr(at, open - at));
    for (char c : lookup(pattern.substr(open + 1, close - open - 1))) {
      out += c;
      if (c == '\'') out += '\'';
    }
    at = close + 1;
  }
  return out;
}

std::string passingOver(std::string_view pick, int records) {
  std::string out(pick);
  if (records > 0) {
    size_t first = out.find("FIRST 1 ");
    if (first != std::string::npos) out.insert(first + 8, "SKIP " + std::to_string(records) + " ");
  }
  return out;
}

}  // namespace tavrix

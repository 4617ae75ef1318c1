// The text of a local statement as a list of lines; the statement is the
// lines each followed by CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrix::localdb {

class StatementText {
 public:
  void clear() { lines_.clear(); }
  void add(std::string_view line) { lines_.emplace_back(line); }
  // Replaces the text by one line.
  void assign(std::string_view text) {
    clear();
    add(text);
  }
  bool empty() const { return lines_.empty(); }
  std::string text() const {
    std::string out;
    for (const auto& line : lines_) out += line + "\r\n";
    return out;
  }

 private:
  std::vector<std::string> lines_;
};

}  // namespace tavrix::localdb

// A statement batch: statement texts in order, posted and saved as each item
// followed by CR LF. It is kept in that form as it is built, so a day of many
// thousand rows exists once, not as a list and again as its text.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace tavrix {

class StatementBatch {
 public:
  StatementBatch() = default;
  StatementBatch(std::initializer_list<std::string_view> items) {
    for (std::string_view item : items) push_back(item);
  }

  void push_back(std::string_view item) {
    text_.append(item);
    text_ += "\r\n";
  }
  // Gives the memory back too: the last batch of a run may have been a big day.
  void clear() { std::string().swap(text_); }
  // Each item followed by CR LF: what is posted and saved.
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace tavrix

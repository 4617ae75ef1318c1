// A modal message box with one OK button: the caller waits until it is closed.
// The window shows a real box; the command line prints the text; tests record it.
#pragma once

#include <string>

namespace tavrix {

class ModalBox {
 public:
  virtual ~ModalBox() = default;
  virtual void show(const std::string& text) = 0;  // Big5 text
};

}  // namespace tavrix

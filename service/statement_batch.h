// A statement batch: statement texts in order, posted and saved as each item
// followed by CR LF.
#pragma once

#include <string>
#include <vector>

namespace tavrix {

using StatementBatch = std::vector<std::string>;

inline std::string batchText(const StatementBatch& batch) {
  std::string text;
  for (const std::string& item : batch) text += item + "\r\n";
  return text;
}

}  // namespace tavrix

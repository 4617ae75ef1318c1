#include "service/profile_string.h"

#include "platform/text/ascii.h"
#include "platform/text/folders.h"

namespace tavrix {

namespace {

constexpr size_t kMaxValue = 2047;  // a 2048-byte buffer with its NUL

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1A;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

ProfileFile ProfileFile::load(const std::string& path) {
  auto content = text::readFile(path);
  if (!content) return {};
  return parse(*content);
}

ProfileFile ProfileFile::parse(std::string_view content) {
  ProfileFile profile;
  if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
  std::string section;
  bool inSection = false;  // lines before the first section belong to none
  while (!content.empty()) {
    size_t end = content.find('\n');
    std::string_view line = trim(content.substr(0, end));
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    if (line.empty()) continue;
    if (line.front() == '[') {
      size_t close = line.rfind(']');
      if (close == std::string_view::npos || close == 0) continue;
      section = std::string(line.substr(1, close - 1));
      inSection = true;
      continue;
    }
    if (!inSection) continue;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      profile.entries_.push_back({section, std::string(line), {}, false});
    } else {
      profile.entries_.push_back({section, std::string(trim(line.substr(0, eq))),
                                  std::string(trim(line.substr(eq + 1))), true});
    }
  }
  return profile;
}

std::string ProfileFile::value(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
  std::string_view found = fallback;
  for (const Entry& e : entries_) {
    if (!text::sameText(e.section, section) || !text::sameText(e.key, key)) continue;
    if (e.hasValue) found = e.value;
    break;
  }
  // Quotes that enclose the whole value go.
  if (found.size() >= 2 && (found.front() == '"' || found.front() == '\'') &&
      found.back() == found.front())
    found = found.substr(1, found.size() - 2);
  return std::string(found.substr(0, kMaxValue));
}

}  // namespace tavrix

// Reading an INI file by the rules of the Windows profile-string function:
// section and key names without regard to case, the first of duplicates wins,
// blanks around names and values dropped, one pair of enclosing quotes
// removed, values cut to 2047 bytes.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavrix {

class ProfileFile {
 public:
  // A file that cannot be read is an empty profile: every lookup gives its default.
  static ProfileFile load(const std::string& path);
  static ProfileFile parse(std::string_view content);

  // The default for a missing section or key, or a key line without "=";
  // a key present with an empty value gives empty text.
  std::string value(std::string_view section, std::string_view key,
                    std::string_view fallback) const;

 private:
  struct Entry {
    std::string section, key, value;
    bool hasValue;
  };
  std::vector<Entry> entries_;
};

}  // namespace tavrix

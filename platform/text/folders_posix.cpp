#include <filesystem>

#include "platform/text/folders.h"

namespace tavrix::text {

std::string executableFolder() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "./";
  return withSeparator(exe.parent_path().string());
}

std::string rootFolder() {
  return tillFolder();
}

}  // namespace tavrix::text

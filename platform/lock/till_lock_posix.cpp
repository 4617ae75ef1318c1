#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/lock/till_lock.h"

namespace tavrix::lock {

TillLock::TillLock(const std::string& tillFolder) {
  std::string path = tillFolder + "uploader.lock";
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    failure_ = "cannot open the till's lock file \"" + path + "\": " + std::strerror(errno);
    return;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    char text[32] = {};
    ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    holder_ = n > 0 ? std::strtol(text, nullptr, 10) : 0;
    ::close(fd);
    return;
  }
  std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) == 0) {
    [[maybe_unused]] ssize_t n = ::pwrite(fd, pid.data(), pid.size(), 0);
  }
  handle_ = fd;
  held_ = true;
}

TillLock::~TillLock() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

}  // namespace tavrix::lock

// One uploader per till: an OS lock on a file in the till folder, held for
// the program's life. The system releases it when the process ends, however
// it ends, so a crash never leaves a stale lock.
#pragma once

#include <string>

namespace tavrix::lock {

class TillLock {
 public:
  // Tries to take the lock of `tillFolder` (uploader.lock in it).
  explicit TillLock(const std::string& tillFolder);
  ~TillLock();
  TillLock(const TillLock&) = delete;
  TillLock& operator=(const TillLock&) = delete;

  bool held() const { return held_; }
  // When another process holds it: that process's id, 0 when unknown.
  long holder() const { return holder_; }
  // When the lock file itself cannot be opened or created, why (UTF-8,
  // naming the file and the system's reason); empty otherwise.
  const std::string& failure() const { return failure_; }

 private:
  bool held_ = false;
  long holder_ = 0;
  std::string failure_;
  long long handle_ = -1;  // the open lock file, as the system names it
};

}  // namespace tavrix::lock

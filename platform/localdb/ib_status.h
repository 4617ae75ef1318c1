// The InterBase status vector turned into an error with the server's own text.
#pragma once

#include <ibase.h>

#include <string>

#include "platform/errors.h"

namespace tavrix::localdb {

class DatabaseError : public GeneralError {
 public:
  DatabaseError(const std::string& message, long sqlcode, bool connectionLost)
      : GeneralError(message), sqlcode_(sqlcode), connectionLost_(connectionLost) {}
  long sqlcode() const { return sqlcode_; }
  // The attachment is gone: the server restarted, the network failed, or the
  // connection was shut down.
  bool connectionLost() const { return connectionLost_; }

 private:
  long sqlcode_;
  bool connectionLost_;
};

// The message lines of the status vector, joined by line breaks.
std::string statusMessage(const ISC_STATUS* status);

// Raises a DatabaseError when the status vector holds an error.
void check(const ISC_STATUS* status);

}  // namespace tavrix::localdb

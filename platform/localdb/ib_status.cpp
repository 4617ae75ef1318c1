#include "platform/localdb/ib_status.h"

namespace tavrix::localdb {

std::string statusMessage(const ISC_STATUS* status) {
  std::string message;
  const ISC_STATUS* cursor = status;
  char line[1024];
  while (fb_interpret(line, sizeof line, &cursor) > 0) {
    if (!message.empty()) message += '\n';
    message += line;
  }
  return message.empty() ? "Unknown database error" : message;
}

void check(const ISC_STATUS* status) {
  if (status[0] == 1 && status[1] != 0)
    throw DatabaseError(statusMessage(status), isc_sqlcode(status));
}

}  // namespace tavrix::localdb

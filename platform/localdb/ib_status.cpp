#include "platform/localdb/ib_status.h"

#include "platform/localdb/client.h"

namespace tavrix::localdb {

std::string statusMessage(const ISC_STATUS* status) {
  std::string message;
  const ISC_STATUS* cursor = status;
  char line[1024];
  while (client().interpret(line, sizeof line, &cursor) > 0) {
    if (!message.empty()) message += '\n';
    message += line;
  }
  return message.empty() ? "Unknown database error" : message;
}

namespace {

bool saysConnectionLost(const ISC_STATUS* status) {
  for (const ISC_STATUS* s = status; *s != isc_arg_end;) {
    ISC_STATUS kind = *s++;
    ISC_STATUS value = *s++;
    if (kind == isc_arg_gds &&
        (value == isc_network_error || value == isc_net_read_err || value == isc_net_write_err ||
         value == isc_lost_db_connection || value == isc_att_shutdown || value == isc_shutdown))
      return true;
    if (kind == isc_arg_cstring) ++s;  // a length and a pointer
  }
  return false;
}

}  // namespace

void check(const ISC_STATUS* status) {
  if (status[0] == 1 && status[1] != 0)
    throw DatabaseError(statusMessage(status), client().isc_sqlcode(status),
                        saysConnectionLost(status));
}

}  // namespace tavrix::localdb

#include "platform/localdb/statement.h"

#include "platform/localdb/connection.h"
#include "platform/localdb/ib_status.h"

namespace tavrix::localdb {

void SqlStatement::execute() {
  if (!connection_.connected()) connection_.open();
  std::string text = sql_.text();
  Transaction tr(connection_, Transaction::Access::ReadWrite);
  ISC_STATUS_ARRAY status;
  isc_dsql_execute_immediate(status, connection_.handle(), tr.handle(), 0, text.c_str(),
                             connection_.dialect(), nullptr);
  check(status);
  tr.commit();
}

}  // namespace tavrix::localdb

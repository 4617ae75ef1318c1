#include "platform/localdb/statement.h"

#include "platform/localdb/client.h"
#include "platform/localdb/connection.h"
#include "platform/localdb/ib_status.h"

namespace tavrix::localdb {

void SqlStatement::execute() {
  executeAll(connection_, {sql_.text()});
}

void executeAll(SqlConnection& connection, const std::vector<std::string>& statements) {
  if (!connection.connected()) connection.open();
  try {
    Transaction tr(connection, Transaction::Access::ReadWrite);
    for (const std::string& text : statements) {
      ISC_STATUS_ARRAY status;
      client().isc_dsql_execute_immediate(status, connection.handle(), tr.handle(), 0, text.c_str(),
                                          connection.dialect(), nullptr);
      check(status);  // the transaction rolls back as it goes out of scope
    }
    tr.commit();
  } catch (const DatabaseError& e) {
    connection.dropIfLost(e);
    throw;
  }
}

}  // namespace tavrix::localdb

// headoffice-sim: a head-office data service for development, tests and demos.
#include <cstdio>

#include "platform/errors.h"
#include "platform/localdb/admin.h"
#include "platform/localdb/connection.h"
#include "platform/localdb/sql_lexer.h"
#include "platform/localdb/statement.h"
#include "tools/headoffice/server.h"
#include "tools/schema/schemas.h"

using namespace tavrix;

int main(int argc, char** argv) {
  sim::SimOptions options;
  try {
    options = sim::parseOptions(argc, argv);
  } catch (const sim::UsageError& e) {
    std::fprintf(stderr, "headoffice-sim: %s\n(headoffice-sim --help shows every option)\n",
                 e.what());
    return 2;
  }
  if (options.help) {
    std::fputs(sim::usage().c_str(), stdout);
    return 0;
  }

  localdb::SqlConnection database;
  database.setParam("Database", options.database);
  database.setParam("User_Name", options.dbUser);
  database.setParam("Password", options.dbPassword);
  database.setParam("SQLDialect", "3");
  try {
    if (options.create) {
      localdb::createDatabase(options.database, options.dbUser, options.dbPassword);
      localdb::runScript(database, schema::headOffice());
      for (const sim::Machine& machine : options.machines) {
        localdb::SqlStatement insert(database);
        insert.setSql("INSERT INTO MCH_ITEM (MCH_NO, STOCK_ID, STORE_ID) VALUES (" +
                      localdb::quoteLiteral(machine.no) + ", " +
                      localdb::quoteLiteral(machine.stockId) + ", " +
                      localdb::quoteLiteral(machine.storeId) + ")");
        insert.execute();
      }
    }
    database.open();
  } catch (const GeneralError& e) {
    std::fprintf(stderr, "headoffice-sim: cannot %s the database %s:\n%s\n",
                 options.create ? "create" : "open", options.database.c_str(), e.what());
    return 1;
  }

  sim::HeadOffice office(database, options.user, options.password);
  if (!options.anySelect) office.answerOnly(options.where);
  try {
    sim::serve(options, office);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "headoffice-sim: %s\n", e.what());
    return 1;
  }
  std::printf("stopped\n");
  return 0;
}

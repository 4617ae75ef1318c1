// The database client's entry points, reached through one table: on Linux
// the linked libfbclient, on Windows fbclient.dll or else gds32.dll (the
// InterBase client beside the till software), loaded when first needed.
#pragma once

#include <ibase.h>

#include <string>

namespace tavrix::localdb {

#define TAVRIX_CLIENT_ENTRIES(X) \
  X(isc_attach_database)         \
  X(isc_create_database)         \
  X(isc_detach_database)         \
  X(isc_drop_database)           \
  X(isc_start_transaction)       \
  X(isc_commit_transaction)      \
  X(isc_rollback_transaction)    \
  X(isc_dsql_allocate_statement) \
  X(isc_dsql_prepare)            \
  X(isc_dsql_describe)           \
  X(isc_dsql_execute)            \
  X(isc_dsql_fetch)              \
  X(isc_dsql_free_statement)     \
  X(isc_dsql_execute_immediate)  \
  X(isc_open_blob2)              \
  X(isc_get_segment)             \
  X(isc_close_blob)              \
  X(isc_sqlcode)

struct ClientApi {
#define TAVRIX_CLIENT_ENTRY(name) decltype(&::name) name = nullptr;
  TAVRIX_CLIENT_ENTRIES(TAVRIX_CLIENT_ENTRY)
#undef TAVRIX_CLIENT_ENTRY
  // fb_interpret where the client has it (InterBase's has only the older
  // isc_interprete): the next line of a status vector, its length, 0 at the end.
  decltype(&::fb_interpret) interpret = nullptr;
  // The client's file, as the system loaded it (for store IT), UTF-8.
  std::string location;
  // Firebird's clients (2.5 and later) take a file name in UTF-8 when the
  // parameter block says so; InterBase's take the system's code page.
  bool utf8FileNames = false;
};

// A database entry ("host:path", the path in UTF-8) in the form the client
// takes, and whether the parameter block must say that it is UTF-8. Raises
// DatabaseError naming the path, the client and what to do when the client
// cannot be given the path.
struct ClientFileName {
  std::string name;
  bool utf8 = false;
};
ClientFileName clientFileName(const std::string& entry);

// The client, loaded on first use. Raises DatabaseError naming the files it
// looked for when none loads (and which of them is built for the other
// bitness), so opening a database fails as any other database error does.
const ClientApi& client();

}  // namespace tavrix::localdb

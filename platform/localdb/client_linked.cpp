#include <dlfcn.h>

#include "platform/localdb/client.h"

namespace tavrix::localdb {

const ClientApi& client() {
  static const ClientApi api = [] {
    ClientApi a;
#define TAVRIX_CLIENT_ENTRY(name) a.name = &::name;
    TAVRIX_CLIENT_ENTRIES(TAVRIX_CLIENT_ENTRY)
#undef TAVRIX_CLIENT_ENTRY
    a.interpret = &::fb_interpret;
    Dl_info library;
    if (dladdr(reinterpret_cast<void*>(&::isc_attach_database), &library) && library.dli_fname)
      a.location = library.dli_fname;
    return a;
  }();
  return api;
}

}  // namespace tavrix::localdb

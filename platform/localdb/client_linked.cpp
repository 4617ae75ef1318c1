#include <dlfcn.h>

#include <clocale>

#include "platform/localdb/client.h"

namespace tavrix::localdb {

const ClientApi& client() {
  static const ClientApi api = [] {
    // The client converts a UTF-8 file name to the process's character set
    // before it goes to the server: that must be UTF-8 too, whatever the
    // environment says (the C locale knows no character beyond ASCII).
    std::setlocale(LC_CTYPE, "C.UTF-8");
    ClientApi a;
#define TAVRIX_CLIENT_ENTRY(name) a.name = &::name;
    TAVRIX_CLIENT_ENTRIES(TAVRIX_CLIENT_ENTRY)
#undef TAVRIX_CLIENT_ENTRY
    a.interpret = &::fb_interpret;
    a.utf8FileNames = true;
    Dl_info library;
    if (dladdr(reinterpret_cast<void*>(&::isc_attach_database), &library) && library.dli_fname)
      a.location = library.dli_fname;
    return a;
  }();
  return api;
}

ClientFileName clientFileName(const std::string& entry) {
  return {entry, true};  // Linux file names are UTF-8 bytes already
}

}  // namespace tavrix::localdb

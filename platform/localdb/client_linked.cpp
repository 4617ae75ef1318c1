#include "platform/localdb/client.h"

namespace tavrix::localdb {

const ClientApi& client() {
  static const ClientApi api = [] {
    ClientApi a;
#define TAVRIX_CLIENT_ENTRY(name) a.name = &::name;
    TAVRIX_CLIENT_ENTRIES(TAVRIX_CLIENT_ENTRY)
#undef TAVRIX_CLIENT_ENTRY
    a.interpret = &::fb_interpret;
    return a;
  }();
  return api;
}

}  // namespace tavrix::localdb

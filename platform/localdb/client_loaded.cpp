#include <windows.h>

#include <cstring>
#include <mutex>
#include <string>

#include "platform/localdb/client.h"
#include "platform/localdb/ib_status.h"

namespace tavrix::localdb {

namespace {

const char* const kLibraries[] = {"fbclient.dll", "gds32.dll"};

template <class F>
F entry(HMODULE library, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// isc_interprete, named by hand: the header marks it deprecated, but it is
// all InterBase's client offers.
using Interprete = ISC_LONG(ISC_EXPORT*)(ISC_SCHAR*, ISC_STATUS**);
Interprete g_interprete = nullptr;

// The older call knows no buffer size: it writes at most a line of 512 bytes.
ISC_LONG ISC_EXPORT interpretOld(ISC_SCHAR* buffer, unsigned size, const ISC_STATUS** status) {
  char line[1024];
  ISC_LONG length = g_interprete(line, const_cast<ISC_STATUS**>(status));
  if (length <= 0 || size == 0) return 0;
  size_t kept = static_cast<size_t>(length) < size ? static_cast<size_t>(length) : size - 1;
  memcpy(buffer, line, kept);
  buffer[kept] = '\0';
  return static_cast<ISC_LONG>(kept);
}

// The first client that loads and has every entry; an error names the files.
ClientApi load() {
  std::string tried;
  for (const char* name : kLibraries) {
    tried += (tried.empty() ? "" : ", ") + std::string(name);
    HMODULE library = LoadLibraryA(name);
    if (!library) continue;
    ClientApi a;
    bool complete = true;
#define TAVRIX_CLIENT_ENTRY(entryName)                             \
  a.entryName = entry<decltype(a.entryName)>(library, #entryName); \
  complete = complete && a.entryName != nullptr;
    TAVRIX_CLIENT_ENTRIES(TAVRIX_CLIENT_ENTRY)
#undef TAVRIX_CLIENT_ENTRY
    auto fbInterpret = entry<decltype(&::fb_interpret)>(library, "fb_interpret");
    g_interprete = entry<Interprete>(library, "isc_interprete");
    a.interpret = fbInterpret ? fbInterpret : g_interprete ? interpretOld : nullptr;
    if (complete && a.interpret) return a;
    FreeLibrary(library);
  }
  throw DatabaseError("No database client could be loaded: looked for " + tried +
                          " beside the program and on the PATH. Install the InterBase or "
                          "Firebird client.",
                      -904, false);
}

}  // namespace

const ClientApi& client() {
  static std::mutex mutex;
  static ClientApi api;
  static bool loaded = false;
  std::lock_guard lock(mutex);
  if (!loaded) {
    api = load();  // raises again on the next use while none can be loaded
    loaded = true;
  }
  return api;
}

}  // namespace tavrix::localdb

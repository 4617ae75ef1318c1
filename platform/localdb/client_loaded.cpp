#include <windows.h>

#include <cstdint>
#include <cstring>
#include <fstream>
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

constexpr bool k64Bit = sizeof(void*) == 8;

// "32-bit" or "64-bit" from the file's PE header; empty when it tells neither.
std::string bitnessOf(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  char dos[64];
  if (!file.read(dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return "";
  uint32_t peAt;
  memcpy(&peAt, dos + 0x3C, sizeof peAt);
  char pe[6];
  if (!file.seekg(peAt) || !file.read(pe, sizeof pe) || memcmp(pe, "PE\0\0", 4) != 0) return "";
  uint16_t machine;
  memcpy(&machine, pe + 4, sizeof machine);
  return machine == IMAGE_FILE_MACHINE_I386    ? "32-bit"
         : machine == IMAGE_FILE_MACHINE_AMD64 ? "64-bit"
                                               : "";
}

// A client that is there but built for the other bitness: the till needs
// the other zip, which the message names.
std::string wrongBitness(const char* name) {
  char path[MAX_PATH];
  DWORD n = SearchPathA(nullptr, name, nullptr, MAX_PATH, path, nullptr);
  std::string file = n > 0 && n < MAX_PATH ? std::string(path, n) : std::string(name);
  std::string bitness = bitnessOf(file);
  if (bitness.empty()) bitness = k64Bit ? "32-bit" : "64-bit";
  return "\"" + file + "\" is a " + bitness + " database client and this program is " +
         (k64Bit ? "64-bit" : "32-bit") + ". Use the programs of " +
         (k64Bit ? "tavrix-win32.zip" : "tavrix-win64.zip") + " instead.";
}

// The first client that loads and has every entry; an error names the files.
ClientApi load() {
  std::string tried, misfits;
  for (const char* name : kLibraries) {
    tried += (tried.empty() ? "" : ", ") + std::string(name);
    HMODULE library = LoadLibraryA(name);
    if (!library && GetLastError() == ERROR_BAD_EXE_FORMAT)
      misfits += (misfits.empty() ? "" : " ") + wrongBitness(name);
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
    if (complete && a.interpret) {
      char path[MAX_PATH];
      DWORD n = GetModuleFileNameA(library, path, MAX_PATH);
      a.location = n > 0 && n < MAX_PATH ? std::string(path, n) : std::string(name);
      return a;
    }
    FreeLibrary(library);
  }
  if (!misfits.empty())
    throw DatabaseError("No database client could be loaded: " + misfits, -904, false);
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

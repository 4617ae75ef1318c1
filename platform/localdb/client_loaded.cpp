#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/localdb/client.h"
#include "platform/localdb/ib_status.h"
#include "platform/text/big5.h"
#include "platform/text/folders.h"
#include "version.h"

namespace tavrix::localdb {

namespace {

const wchar_t* const kLibraries[] = {L"fbclient.dll", L"gds32.dll"};

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

// The file a loaded module came from, however long its path.
std::wstring moduleFile(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) return path.substr(0, n);
    path.resize(path.size() * 2);
  }
}

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
  std::FILE* file = text::openFile(path, "rb");
  if (!file) return "";
  char dos[64], pe[6];
  uint32_t peAt = 0;
  bool read = std::fread(dos, 1, sizeof dos, file) == sizeof dos && dos[0] == 'M' &&
              dos[1] == 'Z' && (memcpy(&peAt, dos + 0x3C, sizeof peAt), true) &&
              std::fseek(file, static_cast<long>(peAt), SEEK_SET) == 0 &&
              std::fread(pe, 1, sizeof pe, file) == sizeof pe && memcmp(pe, "PE\0\0", 4) == 0;
  std::fclose(file);
  if (!read) return "";
  uint16_t machine;
  memcpy(&machine, pe + 4, sizeof machine);
  return machine == IMAGE_FILE_MACHINE_I386    ? "32-bit"
         : machine == IMAGE_FILE_MACHINE_AMD64 ? "64-bit"
                                               : "";
}

// A client that is there but built for the other bitness: the till needs
// the other zip, which the message names.
std::string wrongBitness(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  DWORD n = SearchPathW(nullptr, name, nullptr, MAX_PATH, path, nullptr);
  std::string file = utf8(n > 0 && n < MAX_PATH ? std::wstring(path, n) : std::wstring(name));
  std::string bitness = bitnessOf(file);
  if (bitness.empty()) bitness = k64Bit ? "32-bit" : "64-bit";
  return "\"" + text::nameInBig5(file) + "\" is a " + bitness +
         " database client and this program is " + (k64Bit ? "64-bit" : "32-bit") +
         ". Use the programs of " + "tavrix-upload-" TAVRIX_VERSION +
         (k64Bit ? "-win32.zip" : "-win64.zip") + " instead.";
}

// The first client that loads and has every entry; an error names the files.
ClientApi load() {
  std::string tried, misfits;
  for (const wchar_t* name : kLibraries) {
    tried += (tried.empty() ? "" : ", ") + utf8(name);
    HMODULE library = LoadLibraryW(name);
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
      std::wstring file = moduleFile(library);
      a.location = utf8(file.empty() ? std::wstring(name) : file);
      // Firebird's clients that take UTF-8 file names came with this call.
      a.utf8FileNames = GetProcAddress(library, "fb_cancel_operation") != nullptr;
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

ClientFileName clientFileName(const std::string& entry) {
  const ClientApi& api = client();
  if (api.utf8FileNames) return {entry, true};
  // InterBase's client takes the system's code page: every character of the
  // name must have its place there, or the client would open another file.
  std::wstring wide(entry.size(), L'\0');
  wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, entry.data(),
                                                      static_cast<int>(entry.size()), wide.data(),
                                                      static_cast<int>(wide.size()))));
  BOOL lost = FALSE;
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                              static_cast<int>(wide.size()), nullptr, 0, nullptr, &lost);
  std::string name(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                        name.data(), n, nullptr, &lost);
  if (lost || (n == 0 && !entry.empty())) {
    std::string path = entry.substr(entry.find(':') + 1);
    throw DatabaseError("The database \"" + text::nameInBig5(path) +
                            "\" cannot be opened through the database client \"" +
                            text::nameInBig5(api.location) +
                            "\": that client takes file names in the system's code page (" +
                            std::to_string(GetACP()) +
                            ") only, and the till folder's name has characters outside it. Move "
                            "the till folder to a name written in that code page, or use a "
                            "Firebird client (fbclient.dll).",
                        -904, false);
  }
  return {name, false};
}

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

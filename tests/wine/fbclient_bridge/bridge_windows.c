/* A test-only fbclient.dll for wine: every entry point the uploader uses is
   handed to the bridge's Unix half, which makes the same call of the Linux
   client library, so that Windows programs under wine reach the real Firebird
   server. Database paths are Windows paths here and Linux paths on the
   server: attach and create get the Linux path wine maps them to, from the
   system's code page or, as Firebird's client does when the parameter block
   says so, from UTF-8. Built with MinGW, then marked as a wine builtin
   (winebuild --builtin). Built with BRIDGE_STAND_IN, it is a plain DLL with
   the same entry points that reaches nothing: InterBase's gds32.dll as far
   as the uploader can tell before it opens a database (no UTF-8 names). */
#include <windows.h>

#include <ctype.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "bridge_calls.h"

#define EXPORT __declspec(dllexport)

/* wine's ntdll: the Unix half's handle for this module, and the way in. */
#define MEMORY_WINE_UNIX_FUNCS 1000
typedef UINT64 unixlib_handle_t;
typedef NTSTATUS(WINAPI* unix_call_t)(unixlib_handle_t, unsigned int, void*);
typedef NTSTATUS(WINAPI* query_memory_t)(HANDLE, const void*, int, void*, SIZE_T, SIZE_T*);
typedef char*(CDECL* unix_file_name_t)(const WCHAR*);
extern IMAGE_DOS_HEADER __ImageBase;

static unixlib_handle_t unix_handle;
static unix_call_t unix_call;
static unix_file_name_t unix_file_name;

static void complain(const char* text) {
  DWORD written;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, (DWORD)strlen(text), &written, NULL);
}

/* Without its Unix half every call would "succeed" having done nothing:
   refuse to load instead, and say why. */
static BOOL connect_unix_half(void) {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  query_memory_t query = (query_memory_t)(void*)GetProcAddress(ntdll, "NtQueryVirtualMemory");
  unix_call = (unix_call_t)(void*)GetProcAddress(ntdll, "__wine_unix_call");
  unix_file_name = (unix_file_name_t)(void*)GetProcAddress(GetModuleHandleW(L"kernel32.dll"),
                                                           "wine_get_unix_file_name");
  if (!query || !unix_call || !unix_file_name) {
    complain("fbclient bridge: not running under wine 8 or later\n");
    return FALSE;
  }
  NTSTATUS status = query(GetCurrentProcess(), &__ImageBase, MEMORY_WINE_UNIX_FUNCS, &unix_handle,
                          sizeof unix_handle, NULL);
  if (status != 0 || !unix_handle) {
    char text[256];
    snprintf(text, sizeof text,
             "fbclient bridge: its Unix half (fbclient.so) was not found (status 0x%08lx); "
             "is the Windows half loaded as a builtin from WINEDLLPATH?\n",
             (unsigned long)status);
    complain(text);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* reserved) {
  (void)instance;
  (void)reserved;
#ifdef BRIDGE_STAND_IN
  (void)reason;
  (void)connect_unix_half;
  return TRUE;
#else
  return reason != DLL_PROCESS_ATTACH || connect_unix_half();
#endif
}

static void call(enum bridge_call code, void* args) {
  NTSTATUS status = unix_call(unix_handle, code, args);
  if (status != 0) {
    char text[96];
    snprintf(text, sizeof text, "fbclient bridge: call %d failed (status 0x%08lx)\n", (int)code,
             (unsigned long)status);
    complain(text);
    ExitProcess(70);
  }
}

/* "host:C:\dir\file" -> "host:/linux/dir/file"; other entries stay. The
   path is UTF-8 or in the system's code page; the result, allocated on the
   process heap, is UTF-8 as Linux paths are. */
static char* linux_entry(const char* entry, size_t length, BOOL utf8) {
  char* out = HeapAlloc(GetProcessHeap(), 0, length + 1);
  memcpy(out, entry, length);
  out[length] = '\0';
  const char* colon = strchr(out, ':');
  size_t path_at = colon && colon - out > 1 ? (size_t)(colon - out) + 1 : 0;
  const char* path = out + path_at;
  if (!(isalpha((unsigned char)path[0]) && path[1] == ':' && (path[2] == '\\' || path[2] == '/')))
    return out;
  static WCHAR wide[32768];
  if (!MultiByteToWideChar(utf8 ? CP_UTF8 : CP_ACP, 0, path, -1, wide, 32768)) return out;
  char* wine_path = unix_file_name(wide);
  if (!wine_path) return out;
  char linux_path[4096];
  struct real_path_args real = {wine_path, linux_path, sizeof linux_path, 0};
  call(CALL_REAL_PATH, &real);
  if (!real.result) strncpy(linux_path, wine_path, sizeof linux_path - 1);
  linux_path[sizeof linux_path - 1] = '\0';
  HeapFree(GetProcessHeap(), 0, wine_path);
  size_t linux_length = strlen(linux_path);
  char* mapped = HeapAlloc(GetProcessHeap(), 0, path_at + linux_length + 1);
  memcpy(mapped, out, path_at);
  memcpy(mapped + path_at, linux_path, linux_length + 1);
  HeapFree(GetProcessHeap(), 0, out);
  return mapped;
}

/* CREATE DATABASE 'entry' ...: the quoted entry mapped as for an attach. */
static char* linux_statement(const char* sql, size_t length) {
  static const char create[] = "CREATE DATABASE '";
  const size_t create_length = sizeof create - 1;
  char* out = HeapAlloc(GetProcessHeap(), 0, length + 1);
  memcpy(out, sql, length);
  out[length] = '\0';
  if (length < create_length || _strnicmp(out, create, create_length) != 0) return out;
  size_t end = create_length;
  while (end < length && !(out[end] == '\'' && out[end + 1] != '\''))
    end += out[end] == '\'' ? 2 : 1;
  char* entry = linux_entry(out + create_length, end - create_length, FALSE);
  size_t entry_length = strlen(entry);
  char* mapped = HeapAlloc(GetProcessHeap(), 0, create_length + entry_length + length - end + 1);
  memcpy(mapped, out, create_length);
  memcpy(mapped + create_length, entry, entry_length);
  memcpy(mapped + create_length + entry_length, out + end, length - end + 1);
  HeapFree(GetProcessHeap(), 0, entry);
  HeapFree(GetProcessHeap(), 0, out);
  return mapped;
}

/* Attach or create with the Linux path, the parameter block saying that it
   is UTF-8. */
static ISC_STATUS open_database(enum bridge_call code, ISC_STATUS* status, short length,
                                const ISC_SCHAR* name, isc_db_handle* db, short dpb_length,
                                const ISC_SCHAR* dpb) {
  BOOL utf8 = FALSE;
  for (short at = 1; at + 1 < dpb_length; at += 2 + (unsigned char)dpb[at + 1])
    if (dpb[at] == isc_dpb_utf8_filename) utf8 = TRUE;
  char* linux_name = linux_entry(name, length ? (size_t)length : strlen(name), utf8);
  char* linux_dpb = HeapAlloc(GetProcessHeap(), 0, (size_t)dpb_length + 3);
  short linux_length = dpb_length;
  if (dpb_length > 0) memcpy(linux_dpb, dpb, (size_t)dpb_length);
  if (dpb_length == 0) linux_dpb[linux_length++] = isc_dpb_version1;
  if (!utf8) {
    linux_dpb[linux_length++] = isc_dpb_utf8_filename;
    linux_dpb[linux_length++] = 0;
  }
  struct attach_args a = {status, linux_name, db, linux_dpb, linux_length, 0};
  call(code, &a);
  HeapFree(GetProcessHeap(), 0, linux_dpb);
  HeapFree(GetProcessHeap(), 0, linux_name);
  return a.result;
}

EXPORT ISC_STATUS ISC_EXPORT isc_attach_database(ISC_STATUS* status, short length,
                                                 const ISC_SCHAR* name, isc_db_handle* db,
                                                 short dpb_length, const ISC_SCHAR* dpb) {
  return open_database(CALL_ATTACH, status, length, name, db, dpb_length, dpb);
}

EXPORT ISC_STATUS ISC_EXPORT isc_create_database(ISC_STATUS* status, short length,
                                                 const ISC_SCHAR* name, isc_db_handle* db,
                                                 short dpb_length, const ISC_SCHAR* dpb,
                                                 short type) {
  (void)type;
  return open_database(CALL_CREATE, status, length, name, db, dpb_length, dpb);
}

static ISC_STATUS handle_call(enum bridge_call code, ISC_STATUS* status, FB_API_HANDLE* handle) {
  struct handle_args a = {status, handle, 0};
  call(code, &a);
  return a.result;
}

EXPORT ISC_STATUS ISC_EXPORT isc_detach_database(ISC_STATUS* status, isc_db_handle* db) {
  return handle_call(CALL_DETACH, status, db);
}

EXPORT ISC_STATUS ISC_EXPORT isc_drop_database(ISC_STATUS* status, isc_db_handle* db) {
  return handle_call(CALL_DROP, status, db);
}

EXPORT ISC_STATUS ISC_EXPORT isc_commit_transaction(ISC_STATUS* status, isc_tr_handle* tr) {
  return handle_call(CALL_COMMIT, status, tr);
}

EXPORT ISC_STATUS ISC_EXPORT isc_rollback_transaction(ISC_STATUS* status, isc_tr_handle* tr) {
  return handle_call(CALL_ROLLBACK, status, tr);
}

EXPORT ISC_STATUS ISC_EXPORT isc_close_blob(ISC_STATUS* status, isc_blob_handle* blob) {
  return handle_call(CALL_CLOSE_BLOB, status, blob);
}

/* Variadic, so it travels as isc_start_multiple: (db*, tpb length, tpb) a
   database. */
EXPORT ISC_STATUS ISC_EXPORT_VARARG isc_start_transaction(ISC_STATUS* status, isc_tr_handle* tr,
                                                          short count, ...) {
  if (count < 1 || count > BRIDGE_MAX_DATABASES) {
    complain("fbclient bridge: isc_start_transaction with an unsupported database count\n");
    ExitProcess(70);
  }
  struct start_args a;
  memset(&a, 0, sizeof a);
  a.status = status;
  a.tr = tr;
  a.count = count;
  va_list list;
  va_start(list, count);
  for (int i = 0; i < count; ++i) {
    a.dbs[i] = va_arg(list, isc_db_handle*);
    a.tpb_lengths[i] = va_arg(list, int);
    a.tpbs[i] = va_arg(list, const ISC_SCHAR*);
  }
  va_end(list);
  call(CALL_START_MULTIPLE, &a);
  return a.result;
}

EXPORT ISC_STATUS ISC_EXPORT isc_dsql_allocate_statement(ISC_STATUS* status, isc_db_handle* db,
                                                         isc_stmt_handle* stmt) {
  struct allocate_args a = {status, db, stmt, 0};
  call(CALL_ALLOCATE, &a);
  return a.result;
}

EXPORT ISC_STATUS ISC_EXPORT isc_dsql_prepare(ISC_STATUS* status, isc_tr_handle* tr,
                                              isc_stmt_handle* stmt, unsigned short length,
                                              const ISC_SCHAR* sql, unsigned short dialect,
                                              XSQLDA* sqlda) {
  struct prepare_args a = {status, tr, stmt, length, sql, dialect, sqlda, 0};
  call(CALL_PREPARE, &a);
  return a.result;
}

EXPORT ISC_STATUS ISC_EXPORT isc_dsql_describe(ISC_STATUS* status, isc_stmt_handle* stmt,
                                               unsigned short version, XSQLDA* sqlda) {
  struct describe_args a = {status, stmt, version, sqlda, 0};
  call(CALL_DESCRIBE, &a);
  return a.result;
}

EXPORT ISC_STATUS ISC_EXPORT isc_dsql_execute(ISC_STATUS* status, isc_tr_handle* tr,
                                              isc_stmt_handle* stmt, unsigned short version,
                                              const XSQLDA* sqlda) {
  struct execute_args a = {status, tr, stmt, version, sqlda, 0};
  call(CALL_EXECUTE, &a);
  return a.result;
}

EXPORT ISC_STATUS ISC_EXPORT isc_dsql_fetch(ISC_STATUS* status, isc_stmt_handle* stmt,
                                            unsigned short version, const XSQLDA* sqlda) {
  struct describe_args a = {status, stmt, version, (XSQLDA*)sqlda, 0};
  call(CALL_FETCH, &a);
  return a.result;
}

EXPORT ISC_STATUS ISC_EXPORT isc_dsql_free_statement(ISC_STATUS* status, isc_stmt_handle* stmt,
                                                     unsigned short option) {
  struct free_args a = {status, stmt, option, 0};
  call(CALL_FREE, &a);
  return a.result;
}

EXPORT ISC_STATUS ISC_EXPORT isc_dsql_execute_immediate(ISC_STATUS* status, isc_db_handle* db,
                                                        isc_tr_handle* tr, unsigned short length,
                                                        const ISC_SCHAR* sql,
                                                        unsigned short dialect,
                                                        const XSQLDA* sqlda) {
  char* linux_sql = linux_statement(sql, length ? length : strlen(sql));
  struct immediate_args a = {status, db, tr, linux_sql, dialect, sqlda, 0};
  call(CALL_EXECUTE_IMMEDIATE, &a);
  HeapFree(GetProcessHeap(), 0, linux_sql);
  return a.result;
}

EXPORT ISC_STATUS ISC_EXPORT isc_open_blob2(ISC_STATUS* status, isc_db_handle* db,
                                            isc_tr_handle* tr, isc_blob_handle* blob, ISC_QUAD* id,
                                            ISC_USHORT bpb_length, const ISC_UCHAR* bpb) {
  struct open_blob_args a = {status, db, tr, blob, id, bpb_length, bpb, 0};
  call(CALL_OPEN_BLOB2, &a);
  return a.result;
}

EXPORT ISC_STATUS ISC_EXPORT isc_get_segment(ISC_STATUS* status, isc_blob_handle* blob,
                                             unsigned short* actual, unsigned short size,
                                             ISC_SCHAR* buffer) {
  struct segment_args a = {status, blob, actual, size, buffer, 0};
  call(CALL_GET_SEGMENT, &a);
  return a.result;
}

EXPORT ISC_LONG ISC_EXPORT isc_sqlcode(const ISC_STATUS* status) {
  struct sqlcode_args a = {status, 0};
  call(CALL_SQLCODE, &a);
  return a.result;
}

EXPORT ISC_LONG ISC_EXPORT fb_interpret(ISC_SCHAR* buffer, unsigned int size,
                                        const ISC_STATUS** status) {
  struct interpret_args a = {buffer, size, status, 0};
  call(CALL_INTERPRET, &a);
  return a.result;
}

#ifndef BRIDGE_STAND_IN
/* Never called: its presence says a Firebird client of 2.5 or later, which
   takes UTF-8 file names. */
EXPORT ISC_STATUS ISC_EXPORT fb_cancel_operation(ISC_STATUS* status, isc_db_handle* db,
                                                 ISC_USHORT option) {
  (void)db;
  (void)option;
  status[0] = 1;
  status[1] = 0;
  status[2] = isc_arg_end;
  return 0;
}
#endif

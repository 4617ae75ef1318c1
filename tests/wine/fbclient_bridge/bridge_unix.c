/* The bridge's Unix half: wine's loader finds it beside the Windows half
   (x86_64-unix/ or i386-unix/ for x86_64-windows/ or i386-windows/) and
   hands it the calls through __wine_unix_call_funcs; each one is the same
   call of the Linux client library. */
#define _DEFAULT_SOURCE /* realpath */
#include <limits.h>
#include <signal.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "bridge_calls.h"

typedef int32_t NTSTATUS; /* wine's LONG */

/* Firebird's transaction existence block, as isc_start_multiple reads it. */
struct teb {
  isc_db_handle* db;
  int tpb_length;
  const ISC_SCHAR* tpb;
};

/* The Linux client takes SIGINT and SIGTERM on its first attachment, and
   chains to wine's handlers in a way wine does not survive; the Windows
   client hooks no signals. Wine's handlers (Ctrl+C as a console event) are
   put back after every call that may attach. */
struct saved_signals {
  struct sigaction interrupt, terminate;
};

static void save_signals(struct saved_signals* s) {
  sigaction(SIGINT, NULL, &s->interrupt);
  sigaction(SIGTERM, NULL, &s->terminate);
}

static void restore_signals(const struct saved_signals* s) {
  sigaction(SIGINT, &s->interrupt, NULL);
  sigaction(SIGTERM, &s->terminate, NULL);
}

static NTSTATUS attach(void* p) {
  struct attach_args* a = p;
  struct saved_signals wine;
  save_signals(&wine);
  a->result = isc_attach_database(a->status, 0, a->name, a->db, a->dpb_length, a->dpb);
  restore_signals(&wine);
  return 0;
}

static NTSTATUS create(void* p) {
  struct attach_args* a = p;
  struct saved_signals wine;
  save_signals(&wine);
  a->result = isc_create_database(a->status, 0, a->name, a->db, a->dpb_length, a->dpb, 0);
  restore_signals(&wine);
  return 0;
}

static NTSTATUS detach(void* p) {
  struct handle_args* a = p;
  a->result = isc_detach_database(a->status, a->handle);
  return 0;
}

static NTSTATUS drop(void* p) {
  struct handle_args* a = p;
  a->result = isc_drop_database(a->status, a->handle);
  return 0;
}

static NTSTATUS start_multiple(void* p) {
  struct start_args* a = p;
  struct teb vector[BRIDGE_MAX_DATABASES];
  for (int i = 0; i < a->count; ++i) {
    vector[i].db = a->dbs[i];
    vector[i].tpb_length = a->tpb_lengths[i];
    vector[i].tpb = a->tpbs[i];
  }
  a->result = isc_start_multiple(a->status, a->tr, a->count, vector);
  return 0;
}

static NTSTATUS commit(void* p) {
  struct handle_args* a = p;
  a->result = isc_commit_transaction(a->status, a->handle);
  return 0;
}

static NTSTATUS rollback(void* p) {
  struct handle_args* a = p;
  a->result = isc_rollback_transaction(a->status, a->handle);
  return 0;
}

static NTSTATUS allocate(void* p) {
  struct allocate_args* a = p;
  a->result = isc_dsql_allocate_statement(a->status, a->db, a->stmt);
  return 0;
}

static NTSTATUS prepare(void* p) {
  struct prepare_args* a = p;
  a->result = isc_dsql_prepare(a->status, a->tr, a->stmt, a->length, a->sql, a->dialect, a->sqlda);
  return 0;
}

static NTSTATUS describe(void* p) {
  struct describe_args* a = p;
  a->result = isc_dsql_describe(a->status, a->stmt, a->version, a->sqlda);
  return 0;
}

static NTSTATUS execute(void* p) {
  struct execute_args* a = p;
  a->result = isc_dsql_execute(a->status, a->tr, a->stmt, a->version, a->sqlda);
  return 0;
}

static NTSTATUS fetch(void* p) {
  struct describe_args* a = p;
  a->result = isc_dsql_fetch(a->status, a->stmt, a->version, a->sqlda);
  return 0;
}

static NTSTATUS free_statement(void* p) {
  struct free_args* a = p;
  a->result = isc_dsql_free_statement(a->status, a->stmt, a->option);
  return 0;
}

static NTSTATUS execute_immediate(void* p) {
  struct immediate_args* a = p;
  struct saved_signals wine;
  save_signals(&wine);
  a->result = isc_dsql_execute_immediate(a->status, a->db, a->tr, 0, a->sql, a->dialect, a->sqlda);
  restore_signals(&wine);
  return 0;
}

static NTSTATUS open_blob2(void* p) {
  struct open_blob_args* a = p;
  a->result = isc_open_blob2(a->status, a->db, a->tr, a->blob, a->id, a->bpb_length, a->bpb);
  return 0;
}

static NTSTATUS get_segment(void* p) {
  struct segment_args* a = p;
  a->result = isc_get_segment(a->status, a->blob, a->actual, a->size, a->buffer);
  return 0;
}

static NTSTATUS close_blob(void* p) {
  struct handle_args* a = p;
  a->result = isc_close_blob(a->status, a->handle);
  return 0;
}

static NTSTATUS sqlcode(void* p) {
  struct sqlcode_args* a = p;
  a->result = isc_sqlcode(a->status);
  return 0;
}

static NTSTATUS interpret(void* p) {
  struct interpret_args* a = p;
  a->result = fb_interpret(a->buffer, a->size, a->status);
  return 0;
}

/* The folder resolved and the file name kept: a database to be created does
   not exist yet. */
static NTSTATUS real_path(void* p) {
  struct real_path_args* a = p;
  a->result = 0;
  const char* slash = strrchr(a->path, '/');
  if (!slash || (size_t)(slash - a->path) >= PATH_MAX) return 0;
  char folder[PATH_MAX], resolved[PATH_MAX];
  memcpy(folder, a->path, (size_t)(slash - a->path));
  folder[slash - a->path] = '\0';
  if (!realpath(folder[0] ? folder : "/", resolved)) return 0;
  size_t length = strlen(resolved), name = strlen(slash);
  if (length + name + 1 > a->size) return 0;
  memcpy(a->buffer, resolved, length);
  memcpy(a->buffer + length, slash, name + 1);
  a->result = 1;
  return 0;
}

/* In the order of enum bridge_call. */
__attribute__((visibility("default"))) NTSTATUS (*const __wine_unix_call_funcs[])(void*) = {
    attach,     create,      detach,     drop,    start_multiple, commit,         rollback,
    allocate,   prepare,     describe,   execute, fetch,          free_statement, execute_immediate,
    open_blob2, get_segment, close_blob, sqlcode, interpret,      real_path,
};

_Static_assert(sizeof(__wine_unix_call_funcs) / sizeof(__wine_unix_call_funcs[0]) == CALL_COUNT,
               "one function per call");

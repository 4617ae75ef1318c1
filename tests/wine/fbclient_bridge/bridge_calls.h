/* The calls the bridge carries from its Windows half to its Unix half: one
   argument record per entry point, laid out alike by MinGW and by gcc for the
   same bitness (pointers, shorts and ints only). Pointers are valid on both
   sides: both halves live in the one wine process. */
#ifndef FBCLIENT_BRIDGE_CALLS_H
#define FBCLIENT_BRIDGE_CALLS_H

#include <ibase.h>

enum bridge_call {
  CALL_ATTACH,
  CALL_CREATE,
  CALL_DETACH,
  CALL_DROP,
  CALL_START_MULTIPLE,
  CALL_COMMIT,
  CALL_ROLLBACK,
  CALL_ALLOCATE,
  CALL_PREPARE,
  CALL_DESCRIBE,
  CALL_EXECUTE,
  CALL_FETCH,
  CALL_FREE,
  CALL_EXECUTE_IMMEDIATE,
  CALL_OPEN_BLOB2,
  CALL_GET_SEGMENT,
  CALL_CLOSE_BLOB,
  CALL_SQLCODE,
  CALL_INTERPRET,
  CALL_REAL_PATH,
  CALL_COUNT
};

/* isc_start_transaction's variable part, at most this many databases. */
#define BRIDGE_MAX_DATABASES 16

struct attach_args { /* attach, create */
  ISC_STATUS* status;
  const ISC_SCHAR* name; /* NUL-terminated, already a Linux path (UTF-8) */
  isc_db_handle* db;
  const ISC_SCHAR* dpb;
  short dpb_length;
  ISC_STATUS result;
};

struct handle_args { /* detach, drop, commit, rollback, close_blob */
  ISC_STATUS* status;
  FB_API_HANDLE* handle;
  ISC_STATUS result;
};

struct start_args {
  ISC_STATUS* status;
  isc_tr_handle* tr;
  short count;
  isc_db_handle* dbs[BRIDGE_MAX_DATABASES];
  int tpb_lengths[BRIDGE_MAX_DATABASES];
  const ISC_SCHAR* tpbs[BRIDGE_MAX_DATABASES];
  ISC_STATUS result;
};

struct allocate_args {
  ISC_STATUS* status;
  isc_db_handle* db;
  isc_stmt_handle* stmt;
  ISC_STATUS result;
};

struct prepare_args {
  ISC_STATUS* status;
  isc_tr_handle* tr;
  isc_stmt_handle* stmt;
  unsigned short length;
  const ISC_SCHAR* sql;
  unsigned short dialect;
  XSQLDA* sqlda;
  ISC_STATUS result;
};

struct describe_args { /* describe, fetch */
  ISC_STATUS* status;
  isc_stmt_handle* stmt;
  unsigned short version;
  XSQLDA* sqlda;
  ISC_STATUS result;
};

struct execute_args {
  ISC_STATUS* status;
  isc_tr_handle* tr;
  isc_stmt_handle* stmt;
  unsigned short version;
  const XSQLDA* sqlda;
  ISC_STATUS result;
};

struct free_args {
  ISC_STATUS* status;
  isc_stmt_handle* stmt;
  unsigned short option;
  ISC_STATUS result;
};

struct immediate_args {
  ISC_STATUS* status;
  isc_db_handle* db;
  isc_tr_handle* tr;
  const ISC_SCHAR* sql; /* NUL-terminated, paths already Linux paths */
  unsigned short dialect;
  const XSQLDA* sqlda;
  ISC_STATUS result;
};

struct open_blob_args {
  ISC_STATUS* status;
  isc_db_handle* db;
  isc_tr_handle* tr;
  isc_blob_handle* blob;
  ISC_QUAD* id;
  ISC_USHORT bpb_length;
  const ISC_UCHAR* bpb;
  ISC_STATUS result;
};

struct segment_args {
  ISC_STATUS* status;
  isc_blob_handle* blob;
  unsigned short* actual;
  unsigned short size;
  ISC_SCHAR* buffer;
  ISC_STATUS result;
};

struct sqlcode_args {
  const ISC_STATUS* status;
  int result;
};

struct interpret_args {
  ISC_SCHAR* buffer;
  unsigned int size;
  const ISC_STATUS** status;
  int result;
};

/* A Linux path with its symbolic links resolved: wine's drive paths go
   through dosdevices/c:, and the server takes a second colon for a host. */
struct real_path_args {
  const char* path;
  char* buffer;
  unsigned int size;
  int result; /* 1 when resolved */
};

#endif

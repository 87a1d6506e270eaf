/* The Linux side of the test stand-in for winsqlite3.dll: each call runs Debian's SQLite. */
#include <sqlite3.h>

#include "calls.h"

#define POINTER(n) ((void*)(uintptr_t)args->arg[n])
#define INT(n) ((int)args->arg[n])
#define RESULT(expression) \
  (args->result = (uint64_t)(uintptr_t)(expression), 0)

typedef int (*unix_entry)(void*);

static int open_v2(void* block) {
  struct winsqlite3_args* args = block;
  return RESULT(sqlite3_open_v2(POINTER(0), POINTER(1), INT(2), POINTER(3)));
}
static int close_v2(void* block) {
  struct winsqlite3_args* args = block;
  return RESULT(sqlite3_close_v2(POINTER(0)));
}
static int busy_timeout(void* block) {
  struct winsqlite3_args* args = block;
  return RESULT(sqlite3_busy_timeout(POINTER(0), INT(1)));
}
static int errmsg(void* block) {
  struct winsqlite3_args* args = block;
  return RESULT(sqlite3_errmsg(POINTER(0)));
}
static int prepare_v2(void* block) {
  struct winsqlite3_args* args = block;
  return RESULT(sqlite3_prepare_v2(POINTER(0), POINTER(1), INT(2), POINTER(3), POINTER(4)));
}
static int step(void* block) {
  struct winsqlite3_args* args = block;
  return RESULT(sqlite3_step(POINTER(0)));
}
static int reset(void* block) {
  struct winsqlite3_args* args = block;
  return RESULT(sqlite3_reset(POINTER(0)));
}
static int finalize(void* block) {
  struct winsqlite3_args* args = block;
  return RESULT(sqlite3_finalize(POINTER(0)));
}
static int bind_int64(void* block) {
  struct winsqlite3_args* args = block;
  return RESULT(sqlite3_bind_int64(POINTER(0), INT(1), (sqlite3_int64)args->arg[2]));
}
/* The Windows side passes no destructor: the data outlives the step. */
static int bind_text(void* block) {
  struct winsqlite3_args* args = block;
  return RESULT(sqlite3_bind_text(POINTER(0), INT(1), POINTER(2), INT(3), SQLITE_STATIC));
}
static int bind_blob(void* block) {
  struct winsqlite3_args* args = block;
  return RESULT(sqlite3_bind_blob(POINTER(0), INT(1), POINTER(2), INT(3), SQLITE_STATIC));
}
static int column_int64(void* block) {
  struct winsqlite3_args* args = block;
  args->result = (uint64_t)sqlite3_column_int64(POINTER(0), INT(1));
  return 0;
}
static int column_text(void* block) {
  struct winsqlite3_args* args = block;
  return RESULT(sqlite3_column_text(POINTER(0), INT(1)));
}
static int column_blob(void* block) {
  struct winsqlite3_args* args = block;
  return RESULT(sqlite3_column_blob(POINTER(0), INT(1)));
}
static int column_bytes(void* block) {
  struct winsqlite3_args* args = block;
  return RESULT(sqlite3_column_bytes(POINTER(0), INT(1)));
}

/* Wine's loader looks this table up by name; the index is the call's number. */
const unix_entry __wine_unix_call_funcs[] = {
    open_v2,    close_v2,  busy_timeout, errmsg,    prepare_v2,   step,        reset,
    finalize,   bind_int64, bind_text,   bind_blob, column_int64, column_text, column_blob,
    column_bytes,
};

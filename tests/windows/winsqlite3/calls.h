/* The calls the test stand-in for winsqlite3.dll forwards from its Windows side to the Linux
 * SQLite, in the order of the Linux side's table. Each carries its arguments and result in one
 * block; both sides run in the same address space, so pointers pass as they are. */
#pragma once

#include <stdint.h>

enum winsqlite3_call {
  CALL_OPEN_V2,
  CALL_CLOSE_V2,
  CALL_BUSY_TIMEOUT,
  CALL_ERRMSG,
  CALL_PREPARE_V2,
  CALL_STEP,
  CALL_RESET,
  CALL_FINALIZE,
  CALL_BIND_INT64,
  CALL_BIND_TEXT,
  CALL_BIND_BLOB,
  CALL_COLUMN_INT64,
  CALL_COLUMN_TEXT,
  CALL_COLUMN_BLOB,
  CALL_COLUMN_BYTES,
};

struct winsqlite3_args {
  uint64_t arg[5];
  uint64_t result;
};

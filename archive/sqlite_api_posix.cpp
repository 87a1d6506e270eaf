#include <sqlite3.h>

#include "sqlite_api.h"

namespace archive {

const SqliteApi* SystemSqlite() {
  static const SqliteApi api{
      .open_v2 = sqlite3_open_v2,
      .close_v2 = sqlite3_close_v2,
      .busy_timeout = sqlite3_busy_timeout,
      .errmsg = sqlite3_errmsg,
      .prepare_v2 = sqlite3_prepare_v2,
      .step = sqlite3_step,
      .reset = sqlite3_reset,
      .finalize = sqlite3_finalize,
      .bind_int64 = sqlite3_bind_int64,
      .bind_text = sqlite3_bind_text,
      .bind_blob = sqlite3_bind_blob,
      .column_int64 = sqlite3_column_int64,
      .column_text = sqlite3_column_text,
      .column_blob = sqlite3_column_blob,
      .column_bytes = sqlite3_column_bytes,
  };
  return &api;
}

}  // namespace archive

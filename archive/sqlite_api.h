// The SQLite functions the archive uses, reached through one table so that each system fills it
// its own way: Linux links the library, Windows looks the functions up in the system's own
// winsqlite3.dll. Only the C interface's stable calls appear here, and none takes a callback,
// since the Windows DLL's exports use the stdcall convention on 32-bit x86.
#pragma once

struct sqlite3;
struct sqlite3_stmt;

#ifdef _WIN32
#define KORVANTA_SQLITE_CALL __stdcall
#else
#define KORVANTA_SQLITE_CALL
#endif

namespace archive {

// The result codes and flags the archive looks at, as the library defines them.
inline constexpr int kSqliteOk = 0;
inline constexpr int kSqliteBusy = 5;
inline constexpr int kSqliteLocked = 6;
inline constexpr int kSqliteCorrupt = 11;
inline constexpr int kSqliteNotADatabase = 26;
inline constexpr int kSqliteRow = 100;
inline constexpr int kSqliteDone = 101;
inline constexpr int kSqliteOpenReadOnly = 0x1;
inline constexpr int kSqliteOpenReadWrite = 0x2;
inline constexpr int kSqliteOpenCreate = 0x4;
inline constexpr int kSqliteOpenFullMutex = 0x10000;

struct SqliteApi {
  int(KORVANTA_SQLITE_CALL* open_v2)(const char* filename, sqlite3** db, int flags,
                                     const char* vfs);
  int(KORVANTA_SQLITE_CALL* close_v2)(sqlite3* db);
  int(KORVANTA_SQLITE_CALL* busy_timeout)(sqlite3* db, int milliseconds);
  const char*(KORVANTA_SQLITE_CALL* errmsg)(sqlite3* db);
  int(KORVANTA_SQLITE_CALL* prepare_v2)(sqlite3* db, const char* sql, int bytes,
                                        sqlite3_stmt** statement, const char** tail);
  int(KORVANTA_SQLITE_CALL* step)(sqlite3_stmt* statement);
  int(KORVANTA_SQLITE_CALL* reset)(sqlite3_stmt* statement);
  int(KORVANTA_SQLITE_CALL* finalize)(sqlite3_stmt* statement);
  int(KORVANTA_SQLITE_CALL* bind_int64)(sqlite3_stmt* statement, int index, long long value);
  // The destructor argument is always null (the data outlives the step), never a callback.
  int(KORVANTA_SQLITE_CALL* bind_text)(sqlite3_stmt* statement, int index, const char* text,
                                       int bytes, void (*destructor)(void*));
  int(KORVANTA_SQLITE_CALL* bind_blob)(sqlite3_stmt* statement, int index, const void* data,
                                       int bytes, void (*destructor)(void*));
  long long(KORVANTA_SQLITE_CALL* column_int64)(sqlite3_stmt* statement, int column);
  const unsigned char*(KORVANTA_SQLITE_CALL* column_text)(sqlite3_stmt* statement, int column);
  const void*(KORVANTA_SQLITE_CALL* column_blob)(sqlite3_stmt* statement, int column);
  int(KORVANTA_SQLITE_CALL* column_bytes)(sqlite3_stmt* statement, int column);
};

// The system's SQLite, loaded on first use; null when the system has none, which is then said
// once on stderr.
const SqliteApi* SystemSqlite();

}  // namespace archive

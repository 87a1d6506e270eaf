#include <windows.h>

#include <iostream>

#include "sqlite_api.h"

namespace archive {
namespace {

template <typename Function>
bool Find(HMODULE library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  return function != nullptr;
}

// Windows 10 and later carry SQLite as winsqlite3.dll in System32; only that copy is taken, never
// one a folder on the search path could plant.
const SqliteApi* Load() {
  static SqliteApi api{};
  const HMODULE library = LoadLibraryExW(L"winsqlite3.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (library == nullptr) {
    std::cerr << "archive: this Windows has no winsqlite3.dll (error " << GetLastError()
              << "); the downloads are not archived\n";
    return nullptr;
  }
  const bool complete = Find(library, "sqlite3_open_v2", api.open_v2) &&
                        Find(library, "sqlite3_close_v2", api.close_v2) &&
                        Find(library, "sqlite3_busy_timeout", api.busy_timeout) &&
                        Find(library, "sqlite3_errmsg", api.errmsg) &&
                        Find(library, "sqlite3_prepare_v2", api.prepare_v2) &&
                        Find(library, "sqlite3_step", api.step) &&
                        Find(library, "sqlite3_reset", api.reset) &&
                        Find(library, "sqlite3_finalize", api.finalize) &&
                        Find(library, "sqlite3_bind_int64", api.bind_int64) &&
                        Find(library, "sqlite3_bind_text", api.bind_text) &&
                        Find(library, "sqlite3_bind_blob", api.bind_blob) &&
                        Find(library, "sqlite3_column_int64", api.column_int64) &&
                        Find(library, "sqlite3_column_text", api.column_text) &&
                        Find(library, "sqlite3_column_blob", api.column_blob) &&
                        Find(library, "sqlite3_column_bytes", api.column_bytes);
  if (!complete) {
    std::cerr << "archive: winsqlite3.dll lacks a function the archive needs; the downloads are "
                 "not archived\n";
    FreeLibrary(library);
    return nullptr;
  }
  return &api;
}

}  // namespace

const SqliteApi* SystemSqlite() {
  static const SqliteApi* const api = Load();
  return api;
}

}  // namespace archive

/* The Windows side of the test stand-in for winsqlite3.dll: the exports the archive looks up,
 * each forwarded through Wine's unix call to the Linux side. File names are turned into Linux
 * paths on the way, as the real DLL would open them through Windows. */
#include <windows.h>

#include "calls.h"

typedef LONG(WINAPI* unix_call_function)(UINT64 handle, unsigned int code, void* args);
typedef LONG(WINAPI* query_memory_function)(HANDLE process, const void* address, int kind,
                                            void* buffer, SIZE_T length, SIZE_T* written);
typedef char*(CDECL* unix_name_function)(const WCHAR* name);

/* The information class that gives a builtin module's Linux side. */
enum { MEMORY_WINE_UNIX_FUNCS = 1000 };

static UINT64 unix_handle;
static unix_call_function unix_call;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const query_memory_function query =
        (query_memory_function)(void*)GetProcAddress(ntdll, "NtQueryVirtualMemory");
    unix_call = (unix_call_function)(void*)GetProcAddress(ntdll, "__wine_unix_call");
    if (query == NULL || unix_call == NULL ||
        query(GetCurrentProcess(), instance, MEMORY_WINE_UNIX_FUNCS, &unix_handle,
              sizeof unix_handle, NULL) != 0) {
      return FALSE;
    }
  }
  return TRUE;
}

#define ARG(value) ((UINT64)(UINT_PTR)(value))

static UINT64 forward(enum winsqlite3_call call, UINT64 a0, UINT64 a1, UINT64 a2, UINT64 a3,
                      UINT64 a4) {
  struct winsqlite3_args args = {{a0, a1, a2, a3, a4}, 0};
  unix_call(unix_handle, call, &args);
  return args.result;
}

int WINAPI sqlite3_open_v2(const char* name, void** db, int flags, const char* vfs) {
  WCHAR wide[MAX_PATH];
  WCHAR full[MAX_PATH];
  if (MultiByteToWideChar(CP_UTF8, 0, name, -1, wide, MAX_PATH) == 0 ||
      GetFullPathNameW(wide, MAX_PATH, full, NULL) == 0) {
    *db = NULL;
    return 14; /* cannot open */
  }
  const unix_name_function unix_name = (unix_name_function)(void*)GetProcAddress(
      GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
  char* path = unix_name(full);
  if (path == NULL) {
    *db = NULL;
    return 14;
  }
  const int result = (int)forward(CALL_OPEN_V2, ARG(path), ARG(db), (UINT64)flags, ARG(vfs), 0);
  HeapFree(GetProcessHeap(), 0, path);
  return result;
}
int WINAPI sqlite3_close_v2(void* db) {
  return (int)forward(CALL_CLOSE_V2, ARG(db), 0, 0, 0, 0);
}
int WINAPI sqlite3_busy_timeout(void* db, int ms) {
  return (int)forward(CALL_BUSY_TIMEOUT, ARG(db), (UINT64)ms, 0, 0, 0);
}
const char* WINAPI sqlite3_errmsg(void* db) {
  return (const char*)(UINT_PTR)forward(CALL_ERRMSG, ARG(db), 0, 0, 0, 0);
}
int WINAPI sqlite3_prepare_v2(void* db, const char* sql, int bytes, void** statement,
                              const char** tail) {
  return (int)forward(CALL_PREPARE_V2, ARG(db), ARG(sql), (UINT64)bytes, ARG(statement),
                      ARG(tail));
}
int WINAPI sqlite3_step(void* statement) {
  return (int)forward(CALL_STEP, ARG(statement), 0, 0, 0, 0);
}
int WINAPI sqlite3_reset(void* statement) {
  return (int)forward(CALL_RESET, ARG(statement), 0, 0, 0, 0);
}
int WINAPI sqlite3_finalize(void* statement) {
  return (int)forward(CALL_FINALIZE, ARG(statement), 0, 0, 0, 0);
}
int WINAPI sqlite3_bind_int64(void* statement, int index, long long value) {
  return (int)forward(CALL_BIND_INT64, ARG(statement), (UINT64)index, (UINT64)value, 0, 0);
}
int WINAPI sqlite3_bind_text(void* statement, int index, const char* text, int bytes,
                             void (*destructor)(void*)) {
  (void)destructor;
  return (int)forward(CALL_BIND_TEXT, ARG(statement), (UINT64)index, ARG(text), (UINT64)bytes,
                      0);
}
int WINAPI sqlite3_bind_blob(void* statement, int index, const void* data, int bytes,
                             void (*destructor)(void*)) {
  (void)destructor;
  return (int)forward(CALL_BIND_BLOB, ARG(statement), (UINT64)index, ARG(data), (UINT64)bytes,
                      0);
}
long long WINAPI sqlite3_column_int64(void* statement, int column) {
  return (long long)forward(CALL_COLUMN_INT64, ARG(statement), (UINT64)column, 0, 0, 0);
}
const unsigned char* WINAPI sqlite3_column_text(void* statement, int column) {
  return (const unsigned char*)(UINT_PTR)forward(CALL_COLUMN_TEXT, ARG(statement),
                                                 (UINT64)column, 0, 0, 0);
}
const void* WINAPI sqlite3_column_blob(void* statement, int column) {
  return (const void*)(UINT_PTR)forward(CALL_COLUMN_BLOB, ARG(statement), (UINT64)column, 0, 0,
                                        0);
}
int WINAPI sqlite3_column_bytes(void* statement, int column) {
  return (int)forward(CALL_COLUMN_BYTES, ARG(statement), (UINT64)column, 0, 0, 0);
}

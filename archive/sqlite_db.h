// An open SQLite database and its prepared statements, as RAII owners over the function table.
// Every failure throws SqliteError with the library's code and text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "sqlite_api.h"

namespace archive {

class SqliteError : public std::runtime_error {
 public:
  SqliteError(int code, const std::string& what) : std::runtime_error(what), code_(code) {}
  int Code() const { return code_; }
  // The file is no database, or a damaged one.
  bool Corrupt() const { return code_ == kSqliteCorrupt || code_ == kSqliteNotADatabase; }

 private:
  int code_;
};

class Statement {
 public:
  Statement(const SqliteApi& api, sqlite3* db, std::string_view sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Bound values are not copied: they must live until the statement is stepped or reset.
  void Bind(int index, long long value);
  void Bind(int index, std::string_view text);
  void BindBlob(int index, std::span<const std::uint8_t> bytes);

  // True for a row, false once done.
  bool Step();
  // Ready to step again, the bindings kept.
  void Reset();

  long long Integer(int column);
  std::string_view Text(int column);
  std::span<const std::uint8_t> Blob(int column);

 private:
  void Check(int result);

  const SqliteApi& api_;
  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

class Database {
 public:
  Database(const SqliteApi& api, const std::filesystem::path& file, int openFlags);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // How long a statement waits for another program's lock before it fails as busy.
  void SetBusyTimeout(int milliseconds) { api_.busy_timeout(db_, milliseconds); }

  // Runs one statement to its end, its rows (if any) ignored.
  void Execute(std::string_view sql);
  Statement Prepare(std::string_view sql) { return Statement(api_, db_, sql); }

 private:
  const SqliteApi& api_;
  sqlite3* db_ = nullptr;
};

// A path as the UTF-8 text SQLite takes on every system.
std::string Utf8Path(const std::filesystem::path& path);

}  // namespace archive

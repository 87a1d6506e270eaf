#include "sqlite_db.h"

namespace archive {
namespace {

std::string Describe(const SqliteApi& api, sqlite3* db, int code) {
  const char* text = db != nullptr ? api.errmsg(db) : nullptr;
  return (text != nullptr ? std::string(text) : "SQLite error") + " (" + std::to_string(code) + ")";
}

}  // namespace

std::string Utf8Path(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

Statement::Statement(const SqliteApi& api, sqlite3* db, std::string_view sql) : api_(api), db_(db) {
  const int result =
      api_.prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr);
  if (result != kSqliteOk) {
    api_.finalize(statement_);
    throw SqliteError(result, Describe(api_, db_, result));
  }
}

Statement::~Statement() {
  api_.finalize(statement_);
}

void Statement::Check(int result) {
  if (result != kSqliteOk) {
    throw SqliteError(result, Describe(api_, db_, result));
  }
}

void Statement::Bind(int index, long long value) {
  Check(api_.bind_int64(statement_, index, value));
}

void Statement::Bind(int index, std::string_view text) {
  Check(api_.bind_text(statement_, index, text.data(), static_cast<int>(text.size()), nullptr));
}

void Statement::BindBlob(int index, std::span<const std::uint8_t> bytes) {
  Check(api_.bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()), nullptr));
}

bool Statement::Step() {
  const int result = api_.step(statement_);
  if (result == kSqliteRow) {
    return true;
  }
  if (result == kSqliteDone) {
    return false;
  }
  // The statement's own failure, not a stale one from reset.
  const std::string what = Describe(api_, db_, result);
  api_.reset(statement_);
  throw SqliteError(result, what);
}

void Statement::Reset() {
  api_.reset(statement_);
}

long long Statement::Integer(int column) {
  return api_.column_int64(statement_, column);
}

std::string_view Statement::Text(int column) {
  const unsigned char* text = api_.column_text(statement_, column);
  if (text == nullptr) {
    return {};
  }
  return {reinterpret_cast<const char*>(text),
          static_cast<std::size_t>(api_.column_bytes(statement_, column))};
}

std::span<const std::uint8_t> Statement::Blob(int column) {
  const void* data = api_.column_blob(statement_, column);
  if (data == nullptr) {
    return {};
  }
  return {static_cast<const std::uint8_t*>(data),
          static_cast<std::size_t>(api_.column_bytes(statement_, column))};
}

Database::Database(const SqliteApi& api, const std::filesystem::path& file, int openFlags)
    : api_(api) {
  const int result =
      api_.open_v2(Utf8Path(file).c_str(), &db_, openFlags | kSqliteOpenFullMutex, nullptr);
  if (result != kSqliteOk) {
    const std::string what = Describe(api_, db_, result);
    api_.close_v2(db_);
    throw SqliteError(result, what);
  }
}

Database::~Database() {
  api_.close_v2(db_);
}

void Database::Execute(std::string_view sql) {
  Statement statement(api_, db_, sql);
  while (statement.Step()) {
  }
}

}  // namespace archive

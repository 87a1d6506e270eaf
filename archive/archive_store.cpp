#include <algorithm>
#include <cstdio>
#include <ranges>
#include <system_error>

#include "archive.h"
#include "archive_file.h"
#include "archive_store.h"
#include "sqlite_db.h"
#include "wandlink/local_clock.h"

namespace archive {
namespace {

constexpr std::string_view kSchema[] = {
    "CREATE TABLE IF NOT EXISTS logs (id INTEGER PRIMARY KEY, wand TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS logs_by_wand ON logs (wand, id)",
    "CREATE TABLE IF NOT EXISTS downloads (id INTEGER PRIMARY KEY, read_at TEXT NOT NULL,"
    " wand TEXT NOT NULL, port TEXT NOT NULL, month_mode TEXT NOT NULL,"
    " count INTEGER NOT NULL, log_id INTEGER NOT NULL REFERENCES logs (id))",
    "CREATE TABLE IF NOT EXISTS readings (log_id INTEGER NOT NULL REFERENCES logs (id),"
    " position INTEGER NOT NULL, frame BLOB NOT NULL, time TEXT NOT NULL, button TEXT NOT NULL,"
    " download_id INTEGER NOT NULL REFERENCES downloads (id), PRIMARY KEY (log_id, position))"
    " WITHOUT ROWID",
    "CREATE INDEX IF NOT EXISTS readings_by_time ON readings (time)",
    "CREATE VIEW IF NOT EXISTS archived_readings AS SELECT r.time AS time, l.wand AS wand,"
    " r.button AS button, r.log_id AS log_id, r.position + 1 AS position,"
    " d.read_at AS first_downloaded_at, d.port AS port, hex(r.frame) AS frame"
    " FROM readings AS r JOIN logs AS l ON l.id = r.log_id"
    " JOIN downloads AS d ON d.id = r.download_id",
    "CREATE TABLE IF NOT EXISTS guards (wand TEXT PRIMARY KEY, name TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS checkpoints (button TEXT PRIMARY KEY, name TEXT NOT NULL)",
};

std::string TimeText(const wandlink::LocalTime& time) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute);
  return text;
}

wandlink::TimeText ToTimeText(std::string_view text) {
  wandlink::TimeText out{};
  std::copy_n(text.begin(), std::min(text.size(), out.size() - 1), out.begin());
  return out;
}

// Sets up a connection for writing: the journal the folder can hold, the commit durable.
void PrepareForWriting(Database& db, const Archive& archive) {
  db.SetBusyTimeout(kBusyTimeoutMs);
  // A network folder cannot hold the shared memory WAL needs.
  db.Execute(OnNetworkFolder(archive.file.parent_path()) ? "PRAGMA journal_mode = DELETE"
                                                         : "PRAGMA journal_mode = WAL");
  // A commit is on the disk before the archiving reports done.
  db.Execute("PRAGMA synchronous = FULL");
}

// The log a download continues, with the times the archive gave its first readings; a new log
// when the download does not begin with that log's frames.
struct Continuation {
  std::optional<long long> logId;
  std::vector<wandlink::TimeText> archivedTimes;
};

Continuation FindContinuation(Database& db, const wandlink::DownloadLog& log) {
  Statement current = db.Prepare("SELECT id FROM logs WHERE wand = ?1 ORDER BY id DESC LIMIT 1");
  current.Bind(1, std::string_view(log.wandNumber.data()));
  if (!current.Step()) {
    return {};
  }
  const long long logId = current.Integer(0);
  Statement readings =
      db.Prepare("SELECT frame, time FROM readings WHERE log_id = ?1 ORDER BY position");
  readings.Bind(1, logId);
  Continuation found{.logId = logId};
  while (readings.Step()) {
    const std::size_t position = found.archivedTimes.size();
    if (position >= log.frames.size() ||
        !std::ranges::equal(readings.Blob(0), log.frames[position])) {
      return {};
    }
    found.archivedTimes.push_back(ToTimeText(readings.Text(1)));
  }
  return found;
}

// Through SQL rather than RETURNING, which older SQLite does not know.
long long LastRowId(Database& db) {
  Statement last = db.Prepare("SELECT last_insert_rowid()");
  last.Step();
  return last.Integer(0);
}

void CreateSchema(Database& db) {
  for (const std::string_view statement : kSchema) {
    db.Execute(statement);
  }
}

std::size_t Write(const Archive& archive, wandlink::DownloadLog& log, std::string_view port) {
  Continuation continuation;
  WriteInTransaction(archive, [&](Database& db) {
    const std::string_view wand = log.wandNumber.data();
    continuation = FindContinuation(db, log);
    long long logId = 0;
    if (continuation.logId) {
      logId = *continuation.logId;
    } else {
      Statement newLog = db.Prepare("INSERT INTO logs (wand) VALUES (?1)");
      newLog.Bind(1, wand);
      newLog.Step();
      logId = LastRowId(db);
    }

    const std::string readAt = TimeText(log.readAt);
    Statement download = db.Prepare(
        "INSERT INTO downloads (read_at, wand, port, month_mode, count, log_id)"
        " VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    download.Bind(1, readAt);
    download.Bind(2, wand);
    download.Bind(3, port);
    download.Bind(4, log.monthMode == wandlink::MonthMode::LowNibble ? "low-digit" : "bcd");
    download.Bind(5, static_cast<long long>(log.frames.size()));
    download.Bind(6, logId);
    download.Step();
    const long long downloadId = LastRowId(db);

    Statement reading = db.Prepare(
        "INSERT INTO readings (log_id, position, frame, time, button, download_id)"
        " VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    reading.Bind(1, logId);
    reading.Bind(6, downloadId);
    for (std::size_t position = continuation.archivedTimes.size(); position < log.frames.size();
         ++position) {
      reading.Bind(2, static_cast<long long>(position));
      reading.BindBlob(3, log.frames[position]);
      reading.Bind(4, std::string_view(log.timeStamps[position].data()));
      reading.Bind(5, std::string_view(log.buttonNumbers[position].data()));
      reading.Step();
      reading.Reset();
    }
  });
  std::ranges::copy(continuation.archivedTimes, log.timeStamps.begin());
  return log.frames.size() - continuation.archivedTimes.size();
}

}  // namespace

void WriteInTransaction(const Archive& archive, const std::function<void(Database&)>& write) {
  std::error_code ignored;
  std::filesystem::create_directories(archive.file.parent_path(), ignored);
  Database db(*archive.sqlite, archive.file, kSqliteOpenReadWrite | kSqliteOpenCreate);
  PrepareForWriting(db, archive);
  // Taking the write lock first keeps another program from writing between what this one
  // reads and what it writes.
  db.Execute("BEGIN IMMEDIATE");
  try {
    CreateSchema(db);
    write(db);
    db.Execute("COMMIT");
  } catch (...) {
    try {
      db.Execute("ROLLBACK");
    } catch (const SqliteError&) {
      // A failed statement may have rolled the transaction back already.
    }
    throw;
  }
}

ArchiveResult ArchiveDownload(const Archive& archive, wandlink::DownloadLog& log,
                              std::string_view port) {
  ArchiveResult result;
  if (log.frames.size() != log.RowCount() || log.buttonNumbers.size() != log.RowCount()) {
    result.failure = "the log carries no frames to archive";
    return result;
  }
  try {
    result.added = Write(archive, log, port);
    return result;
  } catch (const SqliteError& error) {
    if (!error.Corrupt()) {
      result.failure = error.what();
      return result;
    }
  }
  std::string why;
  result.movedAside = MoveAside(archive.file, why);
  if (result.movedAside.empty()) {
    result.failure = why;
    return result;
  }
  try {
    result.added = Write(archive, log, port);
  } catch (const SqliteError& error) {
    result.failure = error.what();
  }
  return result;
}

void ApplyArchivedTimes(const Archive& archive, wandlink::DownloadLog& log) {
  std::error_code error;
  if (log.frames.size() != log.RowCount() || !std::filesystem::exists(archive.file, error)) {
    return;
  }
  try {
    Database db(*archive.sqlite, archive.file, kSqliteOpenReadOnly);
    db.SetBusyTimeout(kBusyTimeoutMs);
    const Continuation continuation = FindContinuation(db, log);
    std::ranges::copy(continuation.archivedTimes, log.timeStamps.begin());
  } catch (const SqliteError&) {
    // The write that follows reports what is wrong with the file.
  }
}

}  // namespace archive

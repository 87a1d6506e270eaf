#include "download_trace.h"

#include <condition_variable>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <utility>

#include "environment.h"
#include "local_clock.h"
#include "trace_file.h"

namespace wandlink {

struct DownloadTrace::Shared {
  std::string name;
  std::unique_ptr<TraceFile> file;
  std::mutex mutex;
  std::condition_variable changed;
  // What the writer has yet to take.
  std::string pending;
  bool writing = false;
  bool finishing = false;
  // Given up on at the end: what the writer still holds is lost, and said so already.
  bool abandoned = false;
  std::size_t droppedLines = 0;
  // Why the file takes nothing; once set, every line is discarded.
  std::string problem;

  void Report(const std::string& reason) {
    problem = reason;
    pending.clear();
    std::cerr << "wandlink: cannot write the trace " << name << ": " << reason << '\n';
  }

  bool Idle() const { return pending.empty() && !writing; }

  void AddDroppedCount(std::string_view stamp) {
    if (droppedLines != 0) {
      pending.append(stamp) += "(" + std::to_string(droppedLines) +
                               " lines left out here: the trace file did not keep up)\n";
      droppedLines = 0;
    }
  }
};

std::shared_ptr<DownloadTrace> DownloadTrace::Append(const std::filesystem::path& file) {
  auto shared = std::make_shared<Shared>();
  shared->name = file.string();
  std::string reason;
  shared->file = TraceFile::Open(file, reason);
  if (!shared->file) {
    shared->Report(reason);
    return std::shared_ptr<DownloadTrace>(new DownloadTrace(std::move(shared)));
  }
  const LocalTime now = SystemLocalTime();
  char heading[64];
  std::snprintf(heading, sizeof heading, "\n== Korvanta download, %04d-%02d-%02d %02d:%02d\n",
                now.year, now.month, now.day, now.hour, now.minute);
  shared->pending = heading;
  auto trace = std::shared_ptr<DownloadTrace>(new DownloadTrace(shared));
  trace->writer_ = std::thread([shared] { WriteAsLinesCome(shared); });
  return trace;
}

DownloadTrace::DownloadTrace(std::shared_ptr<Shared> shared)
    : shared_(std::move(shared)), start_(std::chrono::steady_clock::now()) {}

DownloadTrace::~DownloadTrace() {
  if (!writer_.joinable()) {
    return;
  }
  const std::string stamp = Stamp();
  std::unique_lock lock(shared_->mutex);
  shared_->AddDroppedCount(stamp);
  shared_->finishing = true;
  shared_->changed.notify_all();
  if (shared_->changed.wait_for(lock, kFinishWait, [&] { return shared_->Idle(); })) {
    lock.unlock();
    writer_.join();
    return;
  }
  // The file stopped taking bytes: the writer is released and ends on its own; what it holds
  // keeps the shared state alive until then.
  std::cerr << "wandlink: the trace " << shared_->name
            << " misses its last lines: the file did not take them\n";
  shared_->abandoned = true;
  lock.unlock();
  shared_->file->Abandon();
  writer_.detach();
}

std::string DownloadTrace::Stamp() const {
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start_);
  char stamp[24];
  std::snprintf(stamp, sizeof stamp, "%8lld ms  ", static_cast<long long>(elapsed.count()));
  return stamp;
}

void DownloadTrace::Note(std::string_view text) {
  const std::string stamp = Stamp();
  const std::lock_guard lock(shared_->mutex);
  if (!shared_->problem.empty()) {
    return;
  }
  if (shared_->pending.size() + text.size() > kBufferLimit) {
    ++shared_->droppedLines;
    return;
  }
  shared_->AddDroppedCount(stamp);
  shared_->pending.append(stamp).append(text) += '\n';
  shared_->changed.notify_all();
}

void DownloadTrace::Bytes(std::string_view what, std::span<const std::uint8_t> bytes) {
  std::string line(what);
  line += bytes.empty() ? " nothing" : ":";
  char hex[4];
  for (const std::uint8_t byte : bytes) {
    std::snprintf(hex, sizeof hex, " %02X", byte);
    line += hex;
  }
  Note(line);
}

std::string DownloadTrace::Problem(std::chrono::milliseconds wait) {
  std::unique_lock lock(shared_->mutex);
  shared_->changed.wait_for(lock, wait, [&] { return shared_->Idle(); });
  return shared_->problem;
}

void DownloadTrace::WriteAsLinesCome(const std::shared_ptr<Shared>& shared) {
  std::unique_lock lock(shared->mutex);
  for (;;) {
    shared->changed.wait(lock, [&] { return !shared->pending.empty() || shared->finishing; });
    if (shared->pending.empty()) {
      return;
    }
    const std::string lines = std::exchange(shared->pending, {});
    shared->writing = true;
    lock.unlock();
    const std::string failure = shared->file->Write(lines);
    lock.lock();
    shared->writing = false;
    if (!failure.empty() && shared->problem.empty() && !shared->abandoned) {
      shared->Report(failure);
    }
    shared->changed.notify_all();
  }
}

std::optional<std::filesystem::path> TraceFileFromEnvironment() {
  return PathFromEnvironment("KORVANTA_TRACE");
}

}  // namespace wandlink

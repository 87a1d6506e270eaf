// A plain-text record of one download, for support: which port, how it was set, every byte on
// the line with the time it went or came, and how the download ended. It tells a wand that
// answers wrongly from an adapter that loses or holds back bytes.
//
// Lines go into a buffer that a writer thread of the trace's own appends to the file as they
// come, so a trace survives a program that is killed mid-download, and a file that is slow or
// stops taking bytes (a pipe whose reader stopped) never holds up the exchange with the wand:
// when the buffer is full, lines are left out and the trace says how many. A file that cannot
// be written is reported once on stderr, and Problem() tells the program why, for its box.
// Times are milliseconds since the trace began.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>

namespace wandlink {

class DownloadTrace {
 public:
  // The most the buffer holds for the file; far more than a download writes while a healthy
  // file is slow for a moment.
  static constexpr std::size_t kBufferLimit = 1 << 20;
  // How long the end of a trace waits for the file to take the last lines.
  static constexpr std::chrono::milliseconds kFinishWait{500};

  // Opens the file for appending (see trace_file.h) and writes the heading of a new download.
  // A file that cannot be opened gives a trace that writes nothing, with the reason on stderr
  // and in Problem().
  static std::shared_ptr<DownloadTrace> Append(const std::filesystem::path& file);

  // Waits (at most kFinishWait) for the last lines to reach the file.
  ~DownloadTrace();
  DownloadTrace(const DownloadTrace&) = delete;
  DownloadTrace& operator=(const DownloadTrace&) = delete;

  // One time-stamped line of text.
  void Note(std::string_view text);

  // One time-stamped line: what happened ("sent", "received") and the bytes in hex.
  void Bytes(std::string_view what, std::span<const std::uint8_t> bytes);

  // Waits at most `wait` for the lines noted so far to be written, then gives the reason the
  // file could not be opened or written; empty while it takes every line.
  std::string Problem(std::chrono::milliseconds wait = kFinishWait);

 private:
  struct Shared;

  explicit DownloadTrace(std::shared_ptr<Shared> shared);
  // The time since the trace began, as each line starts.
  std::string Stamp() const;
  static void WriteAsLinesCome(const std::shared_ptr<Shared>& shared);

  std::shared_ptr<Shared> shared_;
  std::thread writer_;
  std::chrono::steady_clock::time_point start_;
};

// The trace file named by the environment variable KORVANTA_TRACE, if it is set.
std::optional<std::filesystem::path> TraceFileFromEnvironment();

}  // namespace wandlink

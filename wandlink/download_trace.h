// A plain-text record of one download, for support: which port, how it was set, every byte on
// the line with the time it went or came, and how the download ended. It tells a wand that
// answers wrongly from an adapter that loses or holds back bytes.
//
// Lines are appended to the file and flushed one by one, so a trace survives a program that is
// killed mid-download. Times are milliseconds since the trace began.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace wandlink {

class DownloadTrace {
 public:
  // Opens the file for appending and writes the heading of a new download; null, with the
  // reason on stderr, when the file cannot be written.
  static std::shared_ptr<DownloadTrace> Append(const std::filesystem::path& file);

  // One time-stamped line of text.
  void Note(std::string_view text);

  // One time-stamped line: what happened ("sent", "received") and the bytes in hex.
  void Bytes(std::string_view what, std::span<const std::uint8_t> bytes);

 private:
  explicit DownloadTrace(std::ofstream out);

  std::ofstream out_;
  std::chrono::steady_clock::time_point start_;
};

// The trace file named by the environment variable KORVANTA_TRACE, if it is set.
std::optional<std::filesystem::path> TraceFileFromEnvironment();

}  // namespace wandlink

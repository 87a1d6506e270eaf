#include "download_trace.h"

#include <cstdio>
#include <iostream>
#include <string>

#include "environment.h"
#include "local_clock.h"

namespace wandlink {

std::shared_ptr<DownloadTrace> DownloadTrace::Append(const std::filesystem::path& file) {
  std::ofstream out(file, std::ios::app | std::ios::binary);
  if (!out) {
    std::cerr << "wandlink: cannot write the trace " << file.string() << '\n';
    return nullptr;
  }
  const LocalTime now = SystemLocalTime();
  char heading[64];
  std::snprintf(heading, sizeof heading, "\n== Korvanta download, %04d-%02d-%02d %02d:%02d\n",
                now.year, now.month, now.day, now.hour, now.minute);
  out << heading << std::flush;
  return std::shared_ptr<DownloadTrace>(new DownloadTrace(std::move(out)));
}

DownloadTrace::DownloadTrace(std::ofstream out)
    : out_(std::move(out)), start_(std::chrono::steady_clock::now()) {}

void DownloadTrace::Note(std::string_view text) {
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start_);
  char stamp[24];
  std::snprintf(stamp, sizeof stamp, "%8lld ms  ", static_cast<long long>(elapsed.count()));
  out_ << stamp << text << std::endl;
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

std::optional<std::filesystem::path> TraceFileFromEnvironment() {
  return PathFromEnvironment("KORVANTA_TRACE");
}

}  // namespace wandlink

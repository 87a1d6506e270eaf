// The file a download trace goes to, opened and written so that it can never hold a download
// up: the open does not wait (a pipe without a reader is refused at once), and a write that the
// file cannot take yet waits only on the trace's own writer thread, which Abandon releases.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace wandlink {

class TraceFile {
 public:
  // Opens the file for appending, creating it when absent. Only a regular file, a terminal or a
  // pipe that has a reader is taken; anything else (a pipe without a reader, a device, a
  // socket) gives null and the reason.
  static std::unique_ptr<TraceFile> Open(const std::filesystem::path& file, std::string& reason);

  virtual ~TraceFile() = default;

  // Writes all of the bytes, waiting while a pipe or terminal is full. Returns the reason when
  // the file refused them (its reader gone, the disk full) or Abandon was called; empty when
  // they were written.
  virtual std::string Write(std::string_view bytes) = 0;

  // Ends a Write that waits, and every later one, at once. Safe from any thread.
  virtual void Abandon() = 0;
};

}  // namespace wandlink

// Where a file's bytes go as they are made, so that a file of any size passes through a few
// kilobytes of memory on its way to the disk or a pipe.
#pragma once

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

namespace wandlink {

// The bytes could not be written; what() is the reason, in the user's language.
class WriteFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ByteSink {
 public:
  // Throws WriteFailure.
  virtual void Write(std::string_view bytes) = 0;

 protected:
  ~ByteSink() = default;
};

// The bytes kept in memory, for small files and tests.
class StringSink final : public ByteSink {
 public:
  void Write(std::string_view bytes) override { bytes_ += bytes; }
  std::string& Bytes() { return bytes_; }

 private:
  std::string bytes_;
};

inline constexpr std::string_view kOutOfMemoryReason = "内存不足";

// Runs what writes, returning why it failed (what it threw), or an empty text: a sink's reason,
// or memory or a size running out, which leaves the program and what it holds as they were.
inline std::string FailureOf(const std::function<void()>& write) {
  try {
    write();
    return {};
  } catch (const WriteFailure& failure) {
    return failure.what();
  } catch (const std::bad_alloc&) {
    return std::string(kOutOfMemoryReason);
  } catch (const std::exception& failure) {
    return failure.what();
  }
}

}  // namespace wandlink

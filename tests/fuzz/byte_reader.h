// Reads a fuzzer's input front to back; past its end every read gives zeros.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzzing {

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool AtEnd() const { return offset_ >= size_; }
  std::uint8_t Next() { return AtEnd() ? 0 : data_[offset_++]; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
};

}  // namespace fuzzing

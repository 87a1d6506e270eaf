// A ZIP archive written as it is made, the container of an Excel workbook: each entry deflated
// with zlib on its way to the sink, followed by a data descriptor with its CRC-32 and sizes
// (known only at its end), then the central directory and its end record. No ZIP64, no
// encryption: what a workbook of a wand's log needs and every reader accepts. Memory stays the
// same whatever the entries' size.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "byte_sink.h"
#include "wandlink/local_clock.h"

namespace wandlink {

class ZipArchive {
 public:
  // Every entry is stamped with the given local time.
  ZipArchive(ByteSink& out, const LocalTime& modified);
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // Starts an entry, its name in ASCII, ending the one before; Write gives its contents.
  void StartEntry(std::string_view name);
  // Appends to the entry started last. Throws std::length_error for an entry or an archive
  // that would reach 4 GiB, and what the sink throws.
  void Write(std::string_view contents);

  void Add(std::string_view name, std::string_view contents) {
    StartEntry(name);
    Write(contents);
  }

  // Ends the last entry and writes the central directory.
  void Finish();

 private:
  struct Entry {
    std::string name;
    std::uint32_t crc;
    std::uint32_t compressedSize;
    std::uint32_t size;
    std::uint32_t offset;
  };

  // Runs deflate over what it was given, with the flush it is told, writing what comes out.
  void Deflate(int flush);
  void EndEntry();
  void Put(std::string_view bytes);
  // The fields the local header and the central directory's header share, from the version
  // needed to extract to the extra field's length.
  void PutEntryFields(std::string& out, const Entry& entry) const;

  ByteSink& out_;
  z_stream stream_{};
  bool entryOpen_ = false;
  Entry entry_{};
  std::uint64_t size_ = 0;
  std::uint64_t written_ = 0;
  std::vector<Entry> entries_;
  std::string deflated_;
  std::uint16_t dosTime_;
  std::uint16_t dosDate_;
};

}  // namespace wandlink

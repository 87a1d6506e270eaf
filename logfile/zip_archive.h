// A ZIP archive made whole in memory, the container of an Excel workbook: each entry deflated
// with zlib and described by its CRC-32 and sizes, then the central directory and its end
// record. No ZIP64, no data descriptors, no encryption: what a workbook of a wand's log needs and
// every reader accepts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "wandlink/local_clock.h"

namespace wandlink {

class ZipArchive {
 public:
  // Every entry is stamped with the given local time.
  explicit ZipArchive(const LocalTime& modified);

  // Appends an entry, its name in ASCII. Throws std::length_error for an entry of 4 GiB or
  // more, or an archive that would grow past 4 GiB.
  void Add(std::string_view name, std::string_view contents);

  // The archive's bytes: the entries in the order added, then the central directory.
  std::string Finish() &&;

 private:
  struct Entry {
    std::string name;
    std::uint32_t crc;
    std::uint32_t compressedSize;
    std::uint32_t size;
    std::uint32_t offset;
  };

  // The fields the local header and the central directory's header share, from the version
  // needed to extract to the extra field's length.
  void PutEntryFields(const Entry& entry);

  std::string bytes_;
  std::vector<Entry> entries_;
  std::uint16_t dosTime_;
  std::uint16_t dosDate_;
};

}  // namespace wandlink

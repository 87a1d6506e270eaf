#include "zip_archive.h"

#include <zlib.h>

#include <limits>
#include <new>
#include <stdexcept>

namespace wandlink {
namespace {

constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
// 2.0: deflate.
constexpr std::uint16_t kVersion = 20;
constexpr std::uint16_t kDeflated = 8;

void Put16(std::string& out, std::uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, static_cast<std::uint16_t>(value & 0xFFFF));
  Put16(out, static_cast<std::uint16_t>(value >> 16));
}

std::uint32_t Size32(std::size_t size) {
  if (size >= std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("a ZIP entry or archive of 4 GiB or more");
  }
  return static_cast<std::uint32_t>(size);
}

// Raw deflate (no zlib header), as ZIP's method 8 has it.
std::string Deflate(std::string_view contents) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK) {
    throw std::bad_alloc();
  }
  const auto size = static_cast<uLong>(Size32(contents.size()));
  std::string deflated(deflateBound(&stream, size), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(contents.data()));
  stream.avail_in = static_cast<uInt>(size);
  stream.next_out = reinterpret_cast<Bytef*>(deflated.data());
  stream.avail_out = static_cast<uInt>(deflated.size());
  // deflateBound leaves room for the whole stream, so one call finishes it.
  const int result = deflate(&stream, Z_FINISH);
  deflated.resize(stream.total_out);
  deflateEnd(&stream);
  if (result != Z_STREAM_END) {
    throw std::bad_alloc();
  }
  return deflated;
}

}  // namespace

ZipArchive::ZipArchive(const LocalTime& modified)
    // MS-DOS time and date: two seconds per unit, years from 1980.
    : dosTime_(static_cast<std::uint16_t>((modified.hour << 11) | (modified.minute << 5))),
      dosDate_(static_cast<std::uint16_t>(modified.year < 1980
                                              ? (1 << 5) | 1
                                              : ((modified.year - 1980) << 9) |
                                                    (modified.month << 5) | modified.day)) {}

void ZipArchive::Add(std::string_view name, std::string_view contents) {
  const std::string deflated = Deflate(contents);
  const Entry entry{
      .name = std::string(name),
      .crc = static_cast<std::uint32_t>(crc32(crc32(0, nullptr, 0),
                                              reinterpret_cast<const Bytef*>(contents.data()),
                                              static_cast<uInt>(Size32(contents.size())))),
      .compressedSize = Size32(deflated.size()),
      .size = Size32(contents.size()),
      .offset = Size32(bytes_.size()),
  };
  Put32(bytes_, kLocalHeaderSignature);
  PutEntryFields(entry);
  bytes_ += entry.name;
  bytes_ += deflated;
  Size32(bytes_.size());  // an archive past 4 GiB throws here
  entries_.push_back(entry);
}

void ZipArchive::PutEntryFields(const Entry& entry) {
  Put16(bytes_, kVersion);
  Put16(bytes_, 0);  // flags
  Put16(bytes_, kDeflated);
  Put16(bytes_, dosTime_);
  Put16(bytes_, dosDate_);
  Put32(bytes_, entry.crc);
  Put32(bytes_, entry.compressedSize);
  Put32(bytes_, entry.size);
  Put16(bytes_, static_cast<std::uint16_t>(entry.name.size()));
  Put16(bytes_, 0);  // extra field
}

std::string ZipArchive::Finish() && {
  const std::uint32_t directoryOffset = Size32(bytes_.size());
  for (const Entry& entry : entries_) {
    Put32(bytes_, kCentralHeaderSignature);
    Put16(bytes_, kVersion);  // made by: MS-DOS, 2.0
    PutEntryFields(entry);
    Put16(bytes_, 0);  // comment
    Put16(bytes_, 0);  // disk
    Put16(bytes_, 0);  // internal attributes
    Put32(bytes_, 0);  // external attributes
    Put32(bytes_, entry.offset);
    bytes_ += entry.name;
  }
  const std::uint32_t directorySize = Size32(bytes_.size()) - directoryOffset;
  const auto count = static_cast<std::uint16_t>(entries_.size());
  Put32(bytes_, kEndSignature);
  Put16(bytes_, 0);  // this disk
  Put16(bytes_, 0);  // the directory's disk
  Put16(bytes_, count);
  Put16(bytes_, count);
  Put32(bytes_, directorySize);
  Put32(bytes_, directoryOffset);
  Put16(bytes_, 0);  // comment
  return std::move(bytes_);
}

}  // namespace wandlink

#include "zip_archive.h"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>

namespace wandlink {
namespace {

constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr std::uint32_t kDataDescriptorSignature = 0x08074b50;
constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
// 2.0: deflate.
constexpr std::uint16_t kVersion = 20;
// The CRC and sizes follow the entry's data, in a data descriptor.
constexpr std::uint16_t kSizesAfterData = 0x0008;
constexpr std::uint16_t kDeflated = 8;
// What deflate hands out at a time.
constexpr std::size_t kChunk = 64 * 1024;

void Put16(std::string& out, std::uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, static_cast<std::uint16_t>(value & 0xFFFF));
  Put16(out, static_cast<std::uint16_t>(value >> 16));
}

std::uint32_t Size32(std::uint64_t size) {
  if (size >= std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("a ZIP entry or archive of 4 GiB or more");
  }
  return static_cast<std::uint32_t>(size);
}

}  // namespace

ZipArchive::ZipArchive(ByteSink& out, const LocalTime& modified)
    : out_(out),
      deflated_(kChunk, '\0'),
      // MS-DOS time and date: two seconds per unit, years from 1980.
      dosTime_(static_cast<std::uint16_t>((modified.hour << 11) | (modified.minute << 5))),
      dosDate_(static_cast<std::uint16_t>(modified.year < 1980
                                              ? (1 << 5) | 1
                                              : ((modified.year - 1980) << 9) |
                                                    (modified.month << 5) | modified.day)) {
  // Raw deflate (no zlib header), as ZIP's method 8 has it. The fastest level: a sheet's worth
  // of records deflates in half the time of the default level, a quarter larger.
  if (deflateInit2(&stream_, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::bad_alloc();
  }
}

ZipArchive::~ZipArchive() {
  deflateEnd(&stream_);
}

void ZipArchive::Put(std::string_view bytes) {
  out_.Write(bytes);
  written_ += bytes.size();
  Size32(written_);  // an archive past 4 GiB throws here
}

void ZipArchive::StartEntry(std::string_view name) {
  EndEntry();
  entry_ = Entry{.name = std::string(name),
                 .crc = 0,
                 .compressedSize = 0,
                 .size = 0,
                 .offset = Size32(written_)};
  size_ = 0;
  if (deflateReset(&stream_) != Z_OK) {
    throw std::bad_alloc();
  }
  std::string header;
  Put32(header, kLocalHeaderSignature);
  PutEntryFields(header, entry_);
  header += entry_.name;
  Put(header);
  entryOpen_ = true;
}

void ZipArchive::Write(std::string_view contents) {
  size_ += contents.size();
  entry_.size = Size32(size_);
  while (!contents.empty()) {
    // deflate and crc32 take an unsigned int's worth at a time.
    const auto part = static_cast<uInt>(std::min<std::size_t>(contents.size(), kChunk * 16));
    const auto* bytes = reinterpret_cast<const Bytef*>(contents.data());
    entry_.crc = static_cast<std::uint32_t>(crc32(entry_.crc, bytes, part));
    stream_.next_in = const_cast<Bytef*>(bytes);
    stream_.avail_in = part;
    Deflate(Z_NO_FLUSH);
    contents.remove_prefix(part);
  }
}

void ZipArchive::Deflate(int flush) {
  int result = Z_OK;
  do {
    stream_.next_out = reinterpret_cast<Bytef*>(deflated_.data());
    stream_.avail_out = static_cast<uInt>(deflated_.size());
    result = deflate(&stream_, flush);
    if (result == Z_STREAM_ERROR) {
      throw std::bad_alloc();
    }
    const std::size_t produced = deflated_.size() - stream_.avail_out;
    entry_.compressedSize = Size32(std::uint64_t{entry_.compressedSize} + produced);
    Put(std::string_view(deflated_.data(), produced));
  } while (flush == Z_FINISH ? result != Z_STREAM_END : stream_.avail_out == 0);
}

void ZipArchive::EndEntry() {
  if (!entryOpen_) {
    return;
  }
  entryOpen_ = false;
  stream_.avail_in = 0;
  Deflate(Z_FINISH);
  std::string descriptor;
  Put32(descriptor, kDataDescriptorSignature);
  Put32(descriptor, entry_.crc);
  Put32(descriptor, entry_.compressedSize);
  Put32(descriptor, entry_.size);
  Put(descriptor);
  entries_.push_back(entry_);
}

void ZipArchive::PutEntryFields(std::string& out, const Entry& entry) const {
  Put16(out, kVersion);
  Put16(out, kSizesAfterData);
  Put16(out, kDeflated);
  Put16(out, dosTime_);
  Put16(out, dosDate_);
  Put32(out, entry.crc);
  Put32(out, entry.compressedSize);
  Put32(out, entry.size);
  Put16(out, static_cast<std::uint16_t>(entry.name.size()));
  Put16(out, 0);  // extra field
}

void ZipArchive::Finish() {
  EndEntry();
  const std::uint32_t directoryOffset = Size32(written_);
  std::string directory;
  for (const Entry& entry : entries_) {
    Put32(directory, kCentralHeaderSignature);
    Put16(directory, kVersion);  // made by: MS-DOS, 2.0
    PutEntryFields(directory, entry);
    Put16(directory, 0);  // comment
    Put16(directory, 0);  // disk
    Put16(directory, 0);  // internal attributes
    Put32(directory, 0);  // external attributes
    Put32(directory, entry.offset);
    directory += entry.name;
  }
  const auto directorySize = static_cast<std::uint32_t>(directory.size());
  const auto count = static_cast<std::uint16_t>(entries_.size());
  Put32(directory, kEndSignature);
  Put16(directory, 0);  // this disk
  Put16(directory, 0);  // the directory's disk
  Put16(directory, count);
  Put16(directory, count);
  Put32(directory, directorySize);
  Put32(directory, directoryOffset);
  Put16(directory, 0);  // comment
  Put(directory);
}

}  // namespace wandlink

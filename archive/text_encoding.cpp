#include "text_encoding.h"

namespace archive {

std::optional<std::u32string> Utf8CodePoints(std::string_view bytes) {
  std::u32string points;
  for (std::size_t at = 0; at < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
      points.push_back(lead);
      ++at;
      continue;
    }
    std::size_t length = 0;
    char32_t point = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
      length = 2, point = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, point = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, point = lead & 0x07, least = 0x10000;
    } else {
      return std::nullopt;
    }
    if (bytes.size() - at < length) {
      return std::nullopt;
    }
    for (std::size_t next = 1; next < length; ++next) {
      const auto trail = static_cast<unsigned char>(bytes[at + next]);
      if ((trail & 0xC0) != 0x80) {
        return std::nullopt;
      }
      point = (point << 6) | (trail & 0x3F);
    }
    if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
      return std::nullopt;
    }
    points.push_back(point);
    at += length;
  }
  return points;
}

}  // namespace archive

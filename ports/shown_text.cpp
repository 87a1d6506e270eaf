#include "shown_text.h"

namespace wandlink {
namespace {

constexpr std::string_view kEllipsis = "\u2026";

struct Decoded {
  char32_t character = 0;
  // 0: the bytes at the start are no valid UTF-8.
  std::size_t length = 0;
};

// The first character of the text, refusing overlong forms, surrogates and what lies past
// U+10FFFF.
Decoded DecodeFirst(std::string_view text) {
  const auto byte = [&](std::size_t index) { return static_cast<unsigned char>(text[index]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) {
    return {lead, 1};
  }
  std::size_t length = 0;
  char32_t character = 0;
  char32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    character = lead & 0x1F;
    smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    character = lead & 0x0F;
    smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    character = lead & 0x07;
    smallest = 0x10000;
  } else {
    return {};
  }
  if (text.size() < length) {
    return {};
  }
  for (std::size_t index = 1; index < length; ++index) {
    if ((byte(index) & 0xC0) != 0x80) {
      return {};
    }
    character = (character << 6) | (byte(index) & 0x3F);
  }
  if (character < smallest || character > 0x10FFFF ||
      (character >= 0xD800 && character <= 0xDFFF)) {
    return {};
  }
  return {character, length};
}

bool IsControl(char32_t character) {
  return character < 0x20 || (character >= 0x7F && character <= 0x9F);
}

}  // namespace

std::string ShownText(std::string_view untrusted, std::size_t limit) {
  std::string shown;
  std::size_t characters = 0;
  // Where the ellipsis goes when the text is too long: after limit - 1 characters.
  std::size_t cut = 0;
  while (!untrusted.empty()) {
    const Decoded decoded = DecodeFirst(untrusted);
    if (decoded.length == 0) {
      untrusted.remove_prefix(1);
      continue;
    }
    if (!IsControl(decoded.character)) {
      if (characters == limit) {
        shown.resize(cut);
        return shown += kEllipsis;
      }
      if (characters + 1 == limit) {
        cut = shown.size();
      }
      shown += untrusted.substr(0, decoded.length);
      ++characters;
    }
    untrusted.remove_prefix(decoded.length);
  }
  return shown;
}

}  // namespace wandlink

// The encodings an operator's text files come in, read as the UTF-8 the program works in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace archive {

// The characters (code points) of UTF-8 text; nothing when the bytes are no UTF-8 (overlong
// forms and surrogates included).
std::optional<std::u32string> Utf8CodePoints(std::string_view bytes);

// GB18030 text (what Excel in a Chinese locale saves) as UTF-8; nothing when the bytes are
// no GB18030, a character cut short included. A Windows without the GB18030 code page reads
// its two-byte part only (GBK).
std::optional<std::string> Gb18030ToUtf8(std::string_view bytes);

}  // namespace archive

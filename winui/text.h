// The shared texts are UTF-8; the window's API takes UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace winui {

// The text in UTF-16; a byte sequence that is not UTF-8 becomes U+FFFD.
std::wstring Widen(std::string_view utf8);

}  // namespace winui

// Text at the Win32 boundary: the wand link speaks UTF-8, the wide API UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace wandlink {

std::wstring Widen(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// The system's description of an error code (GetLastError), in UTF-8, with its number.
std::string SystemErrorText(DWORD error);

}  // namespace wandlink

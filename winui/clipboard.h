// Text onto the Windows clipboard.
#pragma once

#include <windows.h>

#include <string_view>

namespace winui {

// Replaces the clipboard's contents with the text (CF_UNICODETEXT). False when the clipboard
// could not take it; the reason goes to stderr.
bool SetClipboardText(HWND owner, std::wstring_view text);

}  // namespace winui

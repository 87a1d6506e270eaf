// Text onto the Windows clipboard.
#pragma once

#include <windows.h>

#include <string_view>

namespace winui {

// Replaces the clipboard's contents with the text (CF_UNICODETEXT) and, unless it is empty, the
// same as HTML ("HTML Format", CF_HTML: UTF-8 with its header, wandlink::ClipboardHtmlFormat).
// False when the clipboard could not take them; the reason goes to stderr.
bool SetClipboardText(HWND owner, std::wstring_view text, std::string_view html = {});

}  // namespace winui

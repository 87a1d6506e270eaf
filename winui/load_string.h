// A text of the program's string table.
#pragma once

#include <windows.h>

#include <string>

namespace winui {

// The string with the identifier; empty when the table has none.
std::wstring LoadResourceString(HINSTANCE instance, int id);

// A menu entry's or button's text without its mnemonic and ellipsis, as a dialog's title.
std::wstring TitleOf(std::wstring text);

}  // namespace winui

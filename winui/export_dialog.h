// The save dialog that asks where to export the log.
#pragma once

#include <windows.h>

#include <string>

namespace winui {

// Proposes the name in the user's documents folder; asks before replacing a file. The chosen
// path, or an empty one when the user cancelled.
std::wstring ChooseExportPath(HINSTANCE instance, HWND owner, const std::wstring& proposedName);

}  // namespace winui

// The save dialog that asks where to export the log.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>

namespace winui {

// Proposes the name in the user's documents folder, offers the Excel workbook (.xlsx) first and
// CSV second; asks before replacing a file. The chosen path, with the chosen type's extension
// when it had none, or an empty one when the user cancelled.
std::wstring ChooseExportPath(HINSTANCE instance, HWND owner, const std::wstring& proposedName);

// Shows the open or save dialog the structure describes. False when the user cancelled, or when
// the dialog failed (said on stderr).
bool RunFileDialog(OPENFILENAMEW& dialog, bool save);

}  // namespace winui

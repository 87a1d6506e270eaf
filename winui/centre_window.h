// Dialogs open centred, as the framework the program was first built on placed them: over
// the owner when it is shown and not minimized, else on the work area of the window's
// monitor; either way kept inside that work area.
#pragma once

#include <windows.h>

namespace winui {

void CentreWindow(HWND window);

}  // namespace winui

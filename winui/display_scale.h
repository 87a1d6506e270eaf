// The display scale a window is shown at, in dots per inch (96 is 100 %), and the system's
// sizes at a scale. Windows from 10 (1607) on tell each window's own scale; older ones have
// one scale for the whole system, which is then every window's.
#pragma once

#include <windows.h>

namespace winui {

inline constexpr UINT kDefaultDpi = USER_DEFAULT_SCREEN_DPI;

UINT WindowDpi(HWND window);

// GetSystemMetrics for the given scale (an icon's size, say).
int SystemMetricForDpi(int index, UINT dpi);

// A length given at 100 %, at the given scale.
inline int ScaleToDpi(int length, UINT dpi) {
  return MulDiv(length, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

// Windows from 10 (1703) on move and resize a dialog's controls and change their font
// themselves on a change of scale; the dialog does all of it itself instead, as it must on
// older ones, so that it is done once, the same way everywhere.
void TakeOverScaleChanges(HWND dialog);

}  // namespace winui

#include "centre_window.h"

#include <algorithm>

namespace winui {
namespace {

int Width(const RECT& rect) {
  return rect.right - rect.left;
}

int Height(const RECT& rect) {
  return rect.bottom - rect.top;
}

// The start that centres a length on the reference span, moved inside [low, high).
int Centred(int length, int referenceStart, int referenceLength, int low, int high) {
  const int start = referenceStart + (referenceLength - length) / 2;
  return std::max(low, std::min(start, high - length));
}

}  // namespace

void CentreWindow(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return;
  }
  const RECT& workArea = monitor.rcWork;
  RECT reference = workArea;
  const HWND owner = GetWindow(window, GW_OWNER);
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
    GetWindowRect(owner, &reference);
  }
  RECT rect{};
  GetWindowRect(window, &rect);
  const int x =
      Centred(Width(rect), reference.left, Width(reference), workArea.left, workArea.right);
  const int y =
      Centred(Height(rect), reference.top, Height(reference), workArea.top, workArea.bottom);
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace winui

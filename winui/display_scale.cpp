#include "display_scale.h"

namespace winui {
namespace {

// A function of user32 that older Windows lack; null there.
template <typename Function>
Function* User32Function(const char* name) {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) {
    return nullptr;
  }
  // Through the generic function type, which converts to any other without a warning.
  return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

UINT SystemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen == nullptr ? 0 : GetDeviceCaps(screen, LOGPIXELSY);
  if (screen != nullptr) {
    ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

using GetDpiForWindowFunction = UINT WINAPI(HWND);
using GetSystemMetricsForDpiFunction = int WINAPI(int, UINT);
using SetDialogDpiChangeBehaviorFunction = BOOL WINAPI(HWND, int mask, int values);
// DDC_DISABLE_ALL of SetDialogDpiChangeBehavior, which the headers of Windows 7 lack.
constexpr int kDialogHandlesScaleChanges = 0x0001;

}  // namespace

UINT WindowDpi(HWND window) {
  static auto* const getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
  return dpi != 0 ? dpi : SystemDpi();
}

int SystemMetricForDpi(int index, UINT dpi) {
  static auto* const forDpi =
      User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
  if (forDpi != nullptr) {
    return forDpi(index, dpi);
  }
  return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

void TakeOverScaleChanges(HWND dialog) {
  static auto* const setBehavior =
      User32Function<SetDialogDpiChangeBehaviorFunction>("SetDialogDpiChangeBehavior");
  if (setBehavior != nullptr) {
    setBehavior(dialog, kDialogHandlesScaleChanges, kDialogHandlesScaleChanges);
  }
}

}  // namespace winui

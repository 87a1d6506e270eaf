#include "dialog_scale.h"

#include <utility>
#include <vector>

namespace winui {
namespace {

struct ControlPlace {
  HWND control;
  RECT place;
};

// Every control's place in the dialog's client area.
std::vector<ControlPlace> ControlPlaces(HWND dialog) {
  std::vector<ControlPlace> places;
  for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT)) {
    RECT place{};
    GetWindowRect(control, &place);
    // A drop-down list's height is the one with its list dropped down, as in the template.
    wchar_t kind[16] = {};
    if (GetClassNameW(control, kind, 16) > 0 && lstrcmpiW(kind, L"ComboBox") == 0) {
      RECT dropped{};
      if (SendMessageW(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped))) {
        place.bottom = dropped.bottom;
      }
    }
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    places.push_back({control, place});
  }
  return places;
}

}  // namespace

void DialogScale::Rescale(UINT dpi, const RECT& proposed) {
  if (dpi == dpi_ || dpi == 0) {
    return;
  }
  const auto scale = [&](LONG length) {
    return MulDiv(length, static_cast<int>(dpi), static_cast<int>(dpi_));
  };
  const std::vector<ControlPlace> places = ControlPlaces(dialog_);
  ScaleFont(dpi);
  SetWindowPos(dialog_, nullptr, proposed.left, proposed.top, proposed.right - proposed.left,
               proposed.bottom - proposed.top, SWP_NOZORDER | SWP_NOACTIVATE);
  for (const auto& [control, place] : places) {
    SetWindowPos(control, nullptr, scale(place.left), scale(place.top),
                 scale(place.right - place.left), scale(place.bottom - place.top),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  dpi_ = dpi;
  RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void DialogScale::ScaleFont(UINT dpi) {
  const auto current = reinterpret_cast<HFONT>(SendMessageW(dialog_, WM_GETFONT, 0, 0));
  LOGFONTW face{};
  if (current == nullptr || GetObjectW(current, sizeof face, &face) == 0) {
    return;
  }
  face.lfHeight = MulDiv(face.lfHeight, static_cast<int>(dpi), static_cast<int>(dpi_));
  UniqueFont font(CreateFontIndirectW(&face));
  if (!font) {
    return;
  }
  SendMessageW(dialog_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  for (HWND control = GetWindow(dialog_, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT)) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  }
  // The old font goes only once no control uses it.
  font_ = std::move(font);
}

}  // namespace winui

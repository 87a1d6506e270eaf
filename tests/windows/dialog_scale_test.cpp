#include "winui/dialog_scale.h"

#include <gtest/gtest.h>

namespace winui {
namespace {

RECT PlaceIn(HWND parent, HWND control) {
  RECT place{};
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

// A move from 100 % to 200 % and back: the window takes the proposed place, every control's
// place and size and the font follow the scale, and nothing drifts on the way back.
TEST(DialogScaleOnWindows, TheDialogKeepsItsProportionsAcrossScales) {
  const HWND dialog = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                      nullptr, nullptr);
  ASSERT_NE(dialog, nullptr);
  const HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 16, 13, 60, 15, dialog, nullptr,
                                      nullptr, nullptr);
  const HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                                 0, 0, 0, L"宋体");
  SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  const RECT buttonAt96 = PlaceIn(dialog, button);
  DialogScale scale(dialog, 96);
  scale.Rescale(192, RECT{10, 20, 610, 420});
  RECT window{};
  GetWindowRect(dialog, &window);
  EXPECT_EQ(window.left, 10);
  EXPECT_EQ(window.bottom, 420);
  const RECT buttonAt192 = PlaceIn(dialog, button);
  EXPECT_EQ(buttonAt192.left, 2 * buttonAt96.left);
  EXPECT_EQ(buttonAt192.top, 2 * buttonAt96.top);
  EXPECT_EQ(buttonAt192.right - buttonAt192.left, 2 * (buttonAt96.right - buttonAt96.left));
  LOGFONTW face{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)), sizeof face, &face);
  EXPECT_EQ(face.lfHeight, -24);

  scale.Rescale(96, RECT{10, 20, 310, 220});
  const RECT buttonBack = PlaceIn(dialog, button);
  EXPECT_EQ(buttonBack.left, buttonAt96.left);
  EXPECT_EQ(buttonBack.bottom, buttonAt96.bottom);
  EXPECT_EQ(scale.Dpi(), 96u);
  DestroyWindow(dialog);
  DeleteObject(font);
}

}  // namespace
}  // namespace winui

// A dialog that keeps its proportions when it moves to a display of another scale: the window
// takes the place Windows proposes, and its controls' places, sizes and font grow or shrink
// with the scale.
#pragma once

#include <windows.h>

#include "gdi_owners.h"

namespace winui {

class DialogScale {
 public:
  // The dialog as the dialog manager made it, at dpi.
  DialogScale(HWND dialog, UINT dpi) : dialog_(dialog), dpi_(dpi) {}

  UINT Dpi() const { return dpi_; }

  // WM_DPICHANGED: the new scale and the window's proposed place on the screen.
  void Rescale(UINT dpi, const RECT& proposed);

 private:
  void ScaleFont(UINT dpi);

  HWND dialog_;
  UINT dpi_;
  // The font of the scale the dialog is at, once it is not the template's first one.
  UniqueFont font_;
};

}  // namespace winui

// Dialog units, the measure dialog templates are drawn in, and their size in pixels.
//
// The base units of a dialog font are the average width of the letters "A" to "Z" and "a" to
// "z" and the font's height. A rectangle in dialog units becomes pixels as x * baseX / 4 and
// y * baseY / 8, rounded to the nearest pixel.
#pragma once

#include <QFont>
#include <QRect>

#include "res/dialog_template.h"

namespace ui {

struct BaseUnits {
  int x = 0;
  int y = 0;
};

BaseUnits DialogBaseUnits(const QFont& font);

QRect DialogRectToPixels(const res::DialogRect& rect, BaseUnits base);

}  // namespace ui

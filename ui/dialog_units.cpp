#include "dialog_units.h"

#include <QFontMetrics>

namespace ui {
namespace {

int ScaleRounded(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

}  // namespace

BaseUnits DialogBaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(letters / 26 + 1) / 2, metrics.height()};
}

QRect DialogRectToPixels(const res::DialogRect& rect, BaseUnits base) {
  return QRect(ScaleRounded(rect.x, base.x, 4), ScaleRounded(rect.y, base.y, 8),
               ScaleRounded(rect.width, base.x, 4), ScaleRounded(rect.height, base.y, 8));
}

}  // namespace ui

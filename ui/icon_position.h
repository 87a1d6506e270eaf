// The minimized window's icon position (res/icon_position.h) in Qt's types.
#pragma once

#include <QPoint>
#include <QSize>

#include "res/icon_position.h"

namespace ui {

constexpr QPoint MinimizedIconPosition(QSize client, QSize icon) {
  const res::PixelPoint position =
      res::MinimizedIconPosition({client.width(), client.height()}, {icon.width(), icon.height()});
  return {position.x, position.y};
}

}  // namespace ui

// Where the icon goes in a minimized window's client area: centred, with the odd pixel to the
// right and below, (size - icon + 1) / 2 rounded toward zero.
#pragma once

#include <QPoint>
#include <QSize>

namespace ui {

constexpr QPoint MinimizedIconPosition(QSize client, QSize icon) {
  return {(client.width() - icon.width() + 1) / 2, (client.height() - icon.height() + 1) / 2};
}

}  // namespace ui

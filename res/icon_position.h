// Where the icon goes in a minimized window's client area: centred, with the odd pixel to the
// right and below, (size - icon + 1) / 2 rounded toward zero. Plain integers, so that the Qt
// window and the Win32 window paint it in the same place.
#pragma once

namespace res {

struct PixelPoint {
  int x, y;
};

struct PixelSize {
  int width, height;
};

constexpr PixelPoint MinimizedIconPosition(PixelSize client, PixelSize icon) {
  return {(client.width - icon.width + 1) / 2, (client.height - icon.height + 1) / 2};
}

}  // namespace res

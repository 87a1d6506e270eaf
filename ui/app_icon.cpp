#include "app_icon.h"

namespace ui {

QIcon MainFrameIcon() {
  QIcon icon;
  icon.addFile(QStringLiteral(":/korvanta/icons/korvanta-32.png"), QSize(32, 32));
  icon.addFile(QStringLiteral(":/korvanta/icons/korvanta-16.png"), QSize(16, 16));
  return icon;
}

}  // namespace ui

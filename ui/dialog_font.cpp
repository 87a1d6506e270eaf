#include "dialog_font.h"

#include <QFont>

namespace ui {

void SubstituteSongFace() {
  for (const char* family : {"宋体", "SimSun"}) {
    QFont::insertSubstitution(QString::fromUtf8(family), QString::fromUtf8(kSongFaceOnLinux));
  }
}

}  // namespace ui

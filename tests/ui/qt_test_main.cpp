// Test main for window tests: a QApplication on the offscreen platform, with the program's fonts.
#include <gtest/gtest.h>

#include <QApplication>

#include "dialog_font.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ui::SubstituteSongFace();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

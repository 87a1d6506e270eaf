#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include "about_dialog.h"
#include "icon_position.h"
#include "reader_dialog.h"
#include "res/resource.h"

namespace ui {
namespace {

using testing::ElementsAre;

QStringList MenuTexts(const ReaderDialog& dialog) {
  QStringList texts;
  for (const QAction* action : dialog.findChild<QMenu*>("systemMenu")->actions()) {
    texts << (action->isSeparator() ? QStringLiteral("--") : action->text());
  }
  return texts;
}

// Runs `check` on the About box once it is up, then presses its 确定.
void WhenAboutBoxOpens(std::function<void(AboutDialog&)> check) {
  QTimer::singleShot(0, [check = std::move(check)] {
    auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(about, nullptr);
    check(*about);
    about->findChild<QPushButton*>("IDOK")->click();
  });
}

TEST(WindowMenu, EndsWithTheAboutEntryThatOpensTheAboutBox) {
  ReaderDialog dialog;
  EXPECT_THAT(MenuTexts(dialog), ElementsAre("移动(&M)", "关闭(&C)", "--",
                                             "巡检记录(&H)...\tCtrl+H", "关于 Korvanta(&A)..."));

  bool opened = false;
  WhenAboutBoxOpens([&](AboutDialog& about) {
    opened = true;
    EXPECT_EQ(about.windowTitle(), "关于 Korvanta");
    EXPECT_EQ(about.parentWidget(), &dialog);
    EXPECT_EQ(about.findChild<QLabel*>("IDC_VERSION")->text(), "Korvanta 1.0 版");
    EXPECT_FALSE(about.findChild<QLabel*>("IDC_COPYRIGHT")->text().isEmpty());
    EXPECT_FALSE(about.findChild<QLabel*>("IDR_MAINFRAME")->pixmap().isNull());
    EXPECT_EQ(about.findChild<QLabel*>("IDR_MAINFRAME")->size(), QSize(32, 32)) << "not clipped";
    EXPECT_EQ(about.findChild<QPushButton*>("IDOK")->text(), "确定");
    EXPECT_TRUE(about.findChild<QPushButton*>("IDOK")->isDefault());
  });
  dialog.findChild<QMenu*>("systemMenu")->actions().last()->trigger();
  EXPECT_TRUE(opened);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "确定 closed the About box";
}

TEST(WindowMenu, OnlyTheHighBitsOfACommandSelectTheAboutBox) {
  ReaderDialog dialog;
  bool opened = false;
  WhenAboutBoxOpens([&](AboutDialog&) { opened = true; });
  dialog.OnSysCommand(res::IDM_ABOUTBOX | 0x000F);
  EXPECT_TRUE(opened);
}

TEST(WindowMenu, AnEmptyAboutStringLeavesNoEntry) {
  ReaderDialog dialog(nullptr, [](int) { return std::string_view(); });
  EXPECT_THAT(MenuTexts(dialog), ElementsAre("移动(&M)", "关闭(&C)"));
}

TEST(WindowMenu, OtherCommandsGetTheDefaultHandling) {
  ReaderDialog dialog;
  dialog.show();
  ASSERT_TRUE(dialog.isVisible());
  dialog.OnSysCommand(ReaderDialog::SC_CLOSE);
  EXPECT_FALSE(dialog.isVisible());
}

TEST(MinimizedIcon, IsCentredWithTheOddPixelRightAndBelow) {
  const struct {
    QSize client;
    QPoint position;
  } cases[] = {
      {{33, 33}, {1, 1}}, {{32, 32}, {0, 0}},   {{34, 34}, {1, 1}},
      {{35, 36}, {2, 2}}, {{20, 21}, {-5, -5}},  // rounding toward zero, not down
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MinimizedIconPosition(c.client, {32, 32}), c.position)
        << c.client.width() << "x" << c.client.height();
  }
}

TEST(MinimizedIcon, IsWhatTheMinimizedWindowPaints) {
  ReaderDialog dialog;
  EXPECT_FALSE(dialog.windowIcon().isNull());
  EXPECT_THAT(dialog.OnQueryDragIcon().availableSizes(),
              testing::IsSupersetOf({QSize(16, 16), QSize(32, 32)}));

  dialog.setWindowState(Qt::WindowMinimized);
  // The window itself, without its controls: a minimized window shows none of them.
  QImage painted(dialog.size(), QImage::Format_ARGB32);
  dialog.render(&painted, QPoint(), QRegion(), QWidget::DrawWindowBackground);
  const QSize iconSize(dialog.style()->pixelMetric(QStyle::PM_LargeIconSize),
                       dialog.style()->pixelMetric(QStyle::PM_LargeIconSize));
  const QImage icon = dialog.OnQueryDragIcon().pixmap(iconSize).toImage();
  const QPoint origin = MinimizedIconPosition(dialog.size(), iconSize);
  int opaque = 0;
  for (int y = 0; y < icon.height(); ++y) {
    for (int x = 0; x < icon.width(); ++x) {
      if (qAlpha(icon.pixel(x, y)) == 255) {
        ++opaque;
        ASSERT_EQ(painted.pixel(origin + QPoint(x, y)), icon.pixel(x, y)) << x << "," << y;
      }
    }
  }
  EXPECT_GT(opaque, 100);
  EXPECT_EQ(painted.pixel(0, 0), dialog.palette().window().color().rgb());
}

}  // namespace
}  // namespace ui

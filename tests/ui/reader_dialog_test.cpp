#include "reader_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "res/main_dialog.h"
#include "serial/serial_link.h"
#include "support/scratch_ports.h"
#include "support/simulated_wand.h"
#include "wand_log.h"

namespace ui {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ElementsAre;
using testing_support::SimulatedWand;

constexpr auto kDownloadTimeout = 20s;

// A window on a ports folder of the test's own, with its messages written down.
class ReaderDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    dialog_.SetMessagePresenter(
        [this](QWidget*, const QString& text) { messages_.push_back(text); });
  }

  void LinkPort(const char* port, const fs::path& device) { ports_.Link(port, device); }

  template <typename Widget>
  Widget* Control(const char* identifier) {
    return dialog_.findChild<Widget*>(identifier);
  }
  QPushButton* Collect() { return Control<QPushButton>("IDC_COLLECT"); }
  QTableView* Records() { return Control<QTableView>("IDC_RECORDS"); }
  QLabel* Count() { return Control<QLabel>("IDC_COUNT"); }
  QProgressBar* Progress() { return Control<QProgressBar>("IDC_PROGRESS"); }
  int Rows() { return Records()->model()->rowCount(); }
  QString Cell(int row, int column) {
    return Records()->model()->index(row, column).data().toString();
  }

  // Clicks 采集数据 and runs the window's events until that download has ended.
  bool CollectAndWait() {
    QSignalSpy finished(&dialog_, &ReaderDialog::WorkerFinished);
    QTest::mouseClick(Collect(), Qt::LeftButton);
    return Ends(finished);
  }
  static bool Ends(QSignalSpy& finished) {
    return !finished.isEmpty() ||
           finished.wait(static_cast<int>(std::chrono::milliseconds(kDownloadTimeout).count()));
  }

  testing_support::ScratchPorts ports_;
  std::vector<QString> messages_;
  ReaderDialog dialog_;
};

TEST_F(ReaderDialogTest, StartsWithTheTemplatesControlsAndAnEmptyTable) {
  EXPECT_EQ(dialog_.windowTitle(), "测试Demo");
  const BaseUnits units = DialogBaseUnits(dialog_.font());
  EXPECT_EQ(dialog_.size(), DialogRectToPixels({0, 0, 313, 176}, units).size());
  EXPECT_EQ(dialog_.minimumSize(), dialog_.maximumSize());
  EXPECT_FALSE(dialog_.windowFlags() &
               (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

  for (const res::ControlTemplate& control : res::kMainDialogControls) {
    const QString name = QString::fromUtf8(control.identifier.data(),
                                           static_cast<qsizetype>(control.identifier.size()));
    QWidget* widget = dialog_.findChild<QWidget*>(name);
    ASSERT_NE(widget, nullptr) << control.identifier;
    const QRect expected = DialogRectToPixels(control.rect, units);
    EXPECT_EQ(widget->pos(), expected.topLeft()) << control.identifier;
    EXPECT_EQ(widget->width(), expected.width()) << control.identifier;
    if (control.kind != res::ControlKind::ComboBox) {
      EXPECT_EQ(widget->height(), expected.height()) << control.identifier;
    }
    EXPECT_FALSE(widget->accessibleName().isEmpty()) << control.identifier;
  }
  EXPECT_EQ(Collect()->text(), "采集数据");
  EXPECT_TRUE(Collect()->isDefault());
  EXPECT_FALSE(Collect()->isHidden());
  EXPECT_EQ(Count()->text(), "10000");
  EXPECT_TRUE(Count()->isHidden());
  EXPECT_TRUE(Count()->alignment() & Qt::AlignLeft);
  EXPECT_TRUE(Progress()->isHidden());
  EXPECT_EQ(Progress()->minimum(), 0);
  EXPECT_EQ(Progress()->maximum(), 99);
  EXPECT_FALSE(Progress()->isTextVisible());
  EXPECT_TRUE(Control<QPushButton>("IDC_THREAD_STATE")->isHidden());
  EXPECT_EQ(Collect()->nextInFocusChain(), Control<QComboBox>("IDC_PORT"));
  EXPECT_EQ(Control<QComboBox>("IDC_PORT")->nextInFocusChain(), Records());

  auto* ports = Control<QComboBox>("IDC_PORT");
  ASSERT_EQ(ports->count(), 8);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(ports->itemText(i), QString("COM%1").arg(i + 1));
  }
  EXPECT_EQ(ports->currentText(), "COM4");
  EXPECT_FALSE(ports->isEditable());

  EXPECT_EQ(Rows(), 0);
  const QStringList headings = {"序号", "棒号", "日期", "钮号"};
  const int widths[] = {40, 40, 110, 80};
  ASSERT_EQ(Records()->model()->columnCount(), 4);
  for (int column = 0; column < 4; ++column) {
    EXPECT_EQ(Records()->model()->headerData(column, Qt::Horizontal).toString(), headings[column]);
    EXPECT_EQ(Records()->columnWidth(column), widths[column]);
  }
  EXPECT_TRUE(Records()->showGrid());
  EXPECT_EQ(Records()->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(Records()->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_TRUE(Records()->verticalHeader()->isHidden());
}

TEST_F(ReaderDialogTest, DownloadsIntoTheTableAndEmptiesItForTheNextDownload) {
  const auto log =
      wandsim::GeneratePatrolLog(300, 5, wandlink::SystemLocalTime(), wandlink::MonthMode::Bcd);
  SimulatedWand wand(log, {.wandNumber = 0x0C0F});
  SimulatedWand failing(log, {.silentAfter = 2});
  LinkPort("COM4", wand.Device());
  LinkPort("COM8", failing.Device());

  dialog_.show();
  QSignalSpy finished(&dialog_, &ReaderDialog::WorkerFinished);
  QTest::mouseClick(Collect(), Qt::LeftButton);
  EXPECT_FALSE(Collect()->isEnabled());
  EXPECT_FALSE(Progress()->isHidden());
  ASSERT_TRUE(Ends(finished));
  EXPECT_TRUE(messages_.empty());
  ASSERT_EQ(Rows(), 300);
  EXPECT_EQ(Cell(0, 0), "1");
  EXPECT_EQ(Cell(299, 0), "300");
  EXPECT_EQ(Cell(299, 1), "0C0F");
  EXPECT_EQ(Cell(299, 3), QString(wandlink::FormatButtonNumber(log[299]).data()));
  EXPECT_EQ(Count()->text(), "300");
  EXPECT_TRUE(Count()->isHidden());
  EXPECT_TRUE(Progress()->isHidden());
  EXPECT_TRUE(Collect()->isEnabled());
  EXPECT_EQ(wand.ClockFrames().size(), 1u);

  Control<QComboBox>("IDC_PORT")->setCurrentIndex(7);
  QSignalSpy failed(&dialog_, &ReaderDialog::WorkerFinished);
  QTest::mouseClick(Collect(), Qt::LeftButton);
  EXPECT_EQ(Rows(), 0) << "emptied as the download starts";
  EXPECT_EQ(Progress()->value(), 0);
  ASSERT_TRUE(Ends(failed));
  EXPECT_THAT(messages_, ElementsAre("读取数据失败"));
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(Collect()->isEnabled());
  EXPECT_TRUE(Progress()->isHidden());
  EXPECT_TRUE(Count()->isHidden());
  EXPECT_TRUE(failing.ClockFrames().empty());
}

// Support asked for a trace the window cannot write: the download is whole, and the box says so
// once, after it.
TEST_F(ReaderDialogTest, ATraceThatCannotBeWrittenIsABoxAfterACompleteDownload) {
  const auto log =
      wandsim::GeneratePatrolLog(20, 5, wandlink::SystemLocalTime(), wandlink::MonthMode::Bcd);
  SimulatedWand wand(log);
  LinkPort("COM4", wand.Device());
  ::setenv("KORVANTA_TRACE", "/dev/full", 1);
  dialog_.show();
  const bool ended = CollectAndWait();
  ::unsetenv("KORVANTA_TRACE");
  ASSERT_TRUE(ended);
  EXPECT_EQ(Rows(), 20);
  EXPECT_THAT(messages_, ElementsAre("跟踪文件写入失败\nnot a file, a terminal or a pipe"));
  EXPECT_EQ(wand.ClockFrames().size(), 1u);
}

TEST_F(ReaderDialogTest, APortThatCannotBeOpenedLeavesTheTableAsItWas) {
  SimulatedWand wand(
      wandsim::GeneratePatrolLog(5, 1, wandlink::SystemLocalTime(), wandlink::MonthMode::Bcd));
  LinkPort("COM4", wand.Device());
  LinkPort("COM5", ports_.Nowhere());
  ASSERT_TRUE(CollectAndWait());
  ASSERT_EQ(Rows(), 5);

  Control<QComboBox>("IDC_PORT")->setCurrentIndex(4);
  QTest::mouseClick(Collect(), Qt::LeftButton);
  EXPECT_THAT(messages_, ElementsAre("串口設置不存在或被占用!"));
  EXPECT_TRUE(Collect()->isEnabled());
  EXPECT_EQ(Rows(), 5);
  EXPECT_TRUE(Progress()->isHidden());
}

TEST_F(ReaderDialogTest, EnterCollectsAndEscapeCloses) {
  LinkPort("COM4", ports_.Nowhere());
  dialog_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
  QTest::keyClick(&dialog_, Qt::Key_Return);
  EXPECT_THAT(messages_, ElementsAre("串口設置不存在或被占用!"));
  QTest::keyClick(&dialog_, Qt::Key_Escape);
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(dialog_.result(), QDialog::Rejected);
}

TEST_F(ReaderDialogTest, ClosingDuringADownloadCancelsItAndReleasesThePort) {
  SimulatedWand wand(
      wandsim::GeneratePatrolLog(50, 1, wandlink::SystemLocalTime(), wandlink::MonthMode::Bcd),
      {.replyDelay = 200ms});
  LinkPort("COM4", wand.Device());
  dialog_.show();
  QTest::mouseClick(Collect(), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Count()->isHidden(); }, 10000));

  const auto start = std::chrono::steady_clock::now();
  dialog_.close();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_FALSE(dialog_.isVisible());
  ASSERT_NE(dialog_.Worker(), nullptr);
  EXPECT_TRUE(dialog_.Worker()->Finished());
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(wand.ClockFrames().empty());
  EXPECT_NE(wandlink::SerialLink::Open(wand.Device()), nullptr) << "the port was released";
}

TEST_F(ReaderDialogTest, ThreadStateTellsWhetherADownloadWasEverStarted) {
  dialog_.OnThreadState();
  SimulatedWand wand({});
  LinkPort("COM4", wand.Device());
  ASSERT_TRUE(CollectAndWait());
  dialog_.OnThreadState();
  EXPECT_THAT(messages_, ElementsAre("线程关闭", "读取完成,没有记录", "线程没有关闭"));
}

}  // namespace
}  // namespace ui

// Getting the log out of the window: the clipboard, the list's menu and the export.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "reader_dialog.h"
#include "records_model.h"
#include "support/scratch_ports.h"
#include "support/simulated_wand.h"
#include "wand_log.h"

namespace ui {
namespace {

namespace fs = std::filesystem;
using testing::ElementsAre;
using testing::SizeIs;
using testing_support::SimulatedWand;

constexpr int kRows = 7;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class RecordsActionsTest : public testing::Test {
 protected:
  void SetUp() override {
    dialog_.SetMessagePresenter(
        [this](QWidget*, const QString& text) { messages_.push_back(text); });
    dialog_.SetExportPathChooser([this](QWidget*, const QString& proposed) {
      proposed_ = proposed;
      return QString::fromStdString(exportTo_.string());
    });
    ports_.Link("COM4", wand_.Device());
    dialog_.show();
  }

  bool CollectAndWait() {
    QSignalSpy finished(&dialog_, &ReaderDialog::WorkerFinished);
    QTest::mouseClick(dialog_.findChild<QPushButton*>("IDC_COLLECT"), Qt::LeftButton);
    return finished.wait(20000);
  }
  QAbstractItemModel* Rows() { return dialog_.findChild<QTableView*>("IDC_RECORDS")->model(); }
  // The CSV the table shows, heading line first, as a spreadsheet reads it.
  std::string TableAsCsv() {
    std::string csv;
    for (int row = -1; row < Rows()->rowCount(); ++row) {
      for (int column = 0; column < Rows()->columnCount(); ++column) {
        const QVariant cell = row < 0 ? Rows()->headerData(column, Qt::Horizontal)
                                      : Rows()->index(row, column).data();
        csv += (column > 0 ? "," : "") + cell.toString().toStdString();
      }
      csv += "\r\n";
    }
    return csv;
  }
  void TriggerExport() {
    for (QAction* action : dialog_.findChild<QMenu*>("recordsMenu")->actions()) {
      if (action->text() == "导出(&E)...") {
        action->trigger();
      }
    }
  }
  std::vector<bool> MenuEnabled() {
    std::vector<bool> enabled;
    for (const QAction* action : dialog_.findChild<QMenu*>("recordsMenu")->actions()) {
      if (!action->isSeparator()) {
        enabled.push_back(action->isEnabled());
      }
    }
    return enabled;
  }

  SimulatedWand wand_{
      wandsim::GeneratePatrolLog(kRows, 3, wandlink::SystemLocalTime(), wandlink::MonthMode::Bcd),
      {.replyDelay = std::chrono::milliseconds(40)}};
  testing_support::ScratchPorts ports_;
  testing_support::ScratchFolder scratch_;
  fs::path folder_ = [this] {
    const fs::path exports = scratch_.Path() / "exports";
    fs::create_directories(exports);
    return exports;
  }();
  fs::path exportTo_ = folder_ / "log.csv";
  QString proposed_;
  std::vector<QString> messages_;
  ReaderDialog dialog_;
};

TEST_F(RecordsActionsTest, CopyAndExportWaitForACompleteLog) {
  EXPECT_THAT(MenuEnabled(), ElementsAre(false, false, false, true)) << "an empty list";
  QTest::mouseClick(dialog_.findChild<QPushButton*>("IDC_COLLECT"), Qt::LeftButton);
  QSignalSpy finished(&dialog_, &ReaderDialog::WorkerFinished);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Rows()->rowCount() == kRows; }, 20000));
  if (finished.isEmpty()) {
    EXPECT_THAT(MenuEnabled(), ElementsAre(false, true, false, true))
        << "rows, the download running";
    ASSERT_TRUE(finished.wait(20000));
  }
  EXPECT_THAT(MenuEnabled(), ElementsAre(true, true, true, true));
}

TEST_F(RecordsActionsTest, SelectAllThenCopyPutsEveryRowOnTheClipboard) {
  ASSERT_TRUE(CollectAndWait());
  QGuiApplication::clipboard()->clear();
  QTest::keyClick(&dialog_, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&dialog_, Qt::Key_C, Qt::ControlModifier);
  std::string tabs = TableAsCsv();
  std::replace(tabs.begin(), tabs.end(), ',', '\t');
  tabs.erase(std::remove(tabs.begin(), tabs.end(), '\r'), tabs.end());
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), tabs);

  // The HTML flavour: every row, its wand and button numbers marked as text for both spreadsheets.
  const QString html = QGuiApplication::clipboard()->mimeData()->html();
  const QString textCell = R"(<td style='mso-number-format:"\@"' sdnum="1033;0;@">)";
  EXPECT_TRUE(html.contains("<tr><th>序号</th><th>棒号</th><th>日期</th><th>钮号</th></tr>"));
  for (int row = 0; row < kRows; ++row) {
    const auto cell = [&](int column) { return Rows()->index(row, column).data().toString(); };
    const QString expected = "<tr><td>" + cell(0) + "</td>" + textCell + cell(1) + "</td><td>" +
                             cell(2) + "</td>" + textCell + cell(3) + "</td></tr>";
    EXPECT_TRUE(html.contains(expected)) << expected.toStdString() << "\n" << html.toStdString();
  }
  EXPECT_EQ(html.count("<tr>"), kRows + 1);
}

TEST_F(RecordsActionsTest, ExportWritesTheTableAsTheUserSeesIt) {
  ASSERT_TRUE(CollectAndWait());
  TriggerExport();
  EXPECT_TRUE(messages_.empty());
  const QString name = QFileInfo(proposed_).fileName();
  EXPECT_TRUE(name.startsWith(Rows()->index(0, 1).data().toString() + "-" +
                              QDate::currentDate().toString("yyyyMMdd-")) &&
              name.endsWith(".xlsx"))
      << proposed_.toStdString();
  EXPECT_EQ(ReadFile(exportTo_), "\xEF\xBB\xBF" + TableAsCsv());
  exportTo_ = folder_ / "log.xlsx";
  TriggerExport();
  EXPECT_EQ(ReadFile(exportTo_).substr(0, 4), "PK\3\4") << "a workbook";
  EXPECT_THAT(std::vector(fs::directory_iterator(folder_), {}), SizeIs(2))
      << "no temporary file left";
}

TEST_F(RecordsActionsTest, AFailedExportLeavesTheFileThereAsItWas) {
  // A folder that is not empty cannot be replaced.
  exportTo_ = folder_ / "log.xlsx";
  fs::create_directories(exportTo_);
  std::ofstream(exportTo_ / "inside") << "kept";
  ASSERT_TRUE(CollectAndWait());
  TriggerExport();
  ASSERT_THAT(messages_, SizeIs(1));
  EXPECT_TRUE(messages_[0].startsWith("导出失败\n")) << messages_[0].toStdString();
  EXPECT_GT(messages_[0].size(), QString("导出失败\n").size()) << "with the reason";
  EXPECT_EQ(ReadFile(exportTo_ / "inside"), "kept");
  EXPECT_THAT(std::vector(fs::directory_iterator(folder_), {}), SizeIs(1));
}

// A long export leaves the window's thread free: its timers run and the progress bar moves, and
// the bar is as it was afterwards.
TEST_F(RecordsActionsTest, TheWindowGoesOnWhileALongExportIsWritten) {
  wandlink::DownloadLog log;
  log.wandNumber = {'0', '1', '2', '3', '\0'};
  log.timeStamps.assign(400'000, {"2024-03-05 14:07"});
  log.buttonNumbers.resize(log.timeStamps.size());
  for (std::size_t row = 0; row < log.buttonNumbers.size(); ++row) {
    std::snprintf(log.buttonNumbers[row].data(), log.buttonNumbers[row].size(), "%08X",
                  static_cast<unsigned>(row));
  }
  dialog_.findChild<RecordsModel*>()->SetLog(std::move(log));
  auto* bar = dialog_.findChild<QProgressBar*>("IDC_PROGRESS");
  ASSERT_NE(bar, nullptr);
  ASSERT_FALSE(bar->isVisible());
  int ticks = 0;
  int furthest = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    ++ticks;
    furthest = std::max(furthest, bar->value());
  });
  timer.start(20);
  exportTo_ = folder_ / "long.xlsx";
  TriggerExport();
  timer.stop();
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(ReadFile(exportTo_).substr(0, 4), "PK\3\4");
  EXPECT_GT(ticks, 0) << "the window's events ran during the export";
  EXPECT_GT(furthest, 0) << "the progress bar followed the export";
  EXPECT_FALSE(bar->isVisible());
}

}  // namespace
}  // namespace ui

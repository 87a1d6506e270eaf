// The history window over an archive: its filters and their count, a heading's sort, the copy of
// the shown rows with their names, a refresh that keeps the filters, and the window's one line
// where there is no archive.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "archive/archive_setting.h"
#include "archive/names.h"
#include "history_window.h"
#include "names_dialog.h"
#include "reader_dialog.h"
#include "res/string_table.h"
#include "wand_log.h"

namespace ui {
namespace {

using wandlink::LocalTime;
using wandlink::WandRecord;

constexpr LocalTime kReadAt{2026, 3, 6, 14, 0};

WandRecord Reading(int day, int hour, int minute, std::uint32_t button) {
  return wandsim::MakeRecord({2026, 3, day, hour, minute}, button, wandlink::MonthMode::Bcd);
}

void Archive(const archive::Archive& archive, const char* wand,
             const std::vector<WandRecord>& frames) {
  wandlink::DownloadLog log{.readAt = kReadAt, .frames = frames};
  std::copy_n(wand, 4, log.wandNumber.data());
  for (const WandRecord& frame : frames) {
    wandlink::FormatRecordTime(frame, log.timeStamps.emplace_back(), wandlink::MonthMode::Bcd,
                               [] { return kReadAt; });
    log.buttonNumbers.push_back(wandlink::FormatButtonNumber(frame));
  }
  ASSERT_EQ(archive::ArchiveDownload(archive, log, "COM4").failure, "");
}

class HistoryWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    // One folder a test: ctest runs them side by side.
    folder_ = std::filesystem::path(testing::TempDir()) /
              testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(folder_);
    archive_ = archive::ArchiveAt(folder_ / "archive.sqlite").value();
    Archive(archive_, "0BEE",
            {Reading(4, 22, 0, 0x11), Reading(4, 23, 0, 0x22), Reading(5, 2, 10, 0x11),
             Reading(5, 3, 0, 0x22)});
    Archive(archive_, "0C0F", {Reading(5, 1, 0, 0x11), Reading(5, 4, 0, 0x33)});
    const archive::NamedNumber names[] = {
        {"0BEE", "张三"}, {"0C0F", "李四"}, {"00000011", "北门 & <闸>"}, {"00000022", "仓库"}};
    archive::ImportNames(archive_, names);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  QStringList Column(const HistoryWindow& window, archive::HistoryColumn column) {
    const QAbstractItemModel* rows = window.findChild<QTableView*>("IDC_HISTORY_LIST")->model();
    QStringList texts;
    for (int row = 0; row < rows->rowCount(); ++row) {
      texts << rows->index(row, static_cast<int>(column)).data().toString();
    }
    return texts;
  }
  static void Choose(const HistoryWindow& window, const char* list, const QString& text) {
    auto* choices = window.findChild<QComboBox*>(list);
    const int index = choices->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    choices->setCurrentIndex(index);
  }
  static QString Count(const HistoryWindow& window) {
    return window.findChild<QLabel*>("IDC_HISTORY_COUNT")->text();
  }

  std::filesystem::path folder_;
  archive::Archive archive_;
};

TEST_F(HistoryWindowTest, FiltersSortsCopiesAndRefreshes) {
  HistoryWindow window(nullptr, archive_, archive::ArchiveAbsence::None);
  // The offscreen clipboard holds what it is given but never says it owns it: no box.
  window.SetMessagePresenter([](QWidget*, const QString&) {});
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  using enum archive::HistoryColumn;
  EXPECT_EQ(Count(window), "共 6 条");
  EXPECT_THAT(Column(window, Date),
              testing::ElementsAre("2026-03-05 04:00", "2026-03-05 03:00", "2026-03-05 02:10",
                                   "2026-03-05 01:00", "2026-03-04 23:00", "2026-03-04 22:00"))
      << "newest first";
  EXPECT_EQ(window.findChild<QComboBox*>("IDC_HISTORY_GUARD")->itemText(0), "全部");

  // One day, one guard; a second bound set through the picker's date.
  auto* from = window.findChild<DatePicker*>("IDC_HISTORY_FROM");
  auto* to = window.findChild<DatePicker*>("IDC_HISTORY_TO");
  from->SetDate(QDate(2026, 3, 5));
  EXPECT_EQ(Count(window), "共 4 条") << "from alone";
  to->DateEdit()->setDate(QDate(2026, 3, 5));
  ASSERT_TRUE(to->CheckBox()->isChecked()) << "a date chosen sets the bound";
  Choose(window, "IDC_HISTORY_GUARD", "张三");
  EXPECT_EQ(Count(window), "共 2 条");
  EXPECT_THAT(Column(window, Date), testing::ElementsAre("2026-03-05 03:00", "2026-03-05 02:10"));
  EXPECT_THAT(Column(window, Guard), testing::Each(QString("张三")));
  EXPECT_THAT(Column(window, Place), testing::ElementsAre("仓库", "北门 & <闸>"));

  // A heading's click sorts by it, a second reverses.
  QHeaderView* headings = window.findChild<QTableView*>("IDC_HISTORY_LIST")->horizontalHeader();
  const auto clickHeading = [&](archive::HistoryColumn column) {
    const int section = static_cast<int>(column);
    QTest::mouseClick(headings->viewport(), Qt::LeftButton, {},
                      QPoint(headings->sectionViewportPosition(section) + 5, 5));
  };
  to->CheckBox()->setChecked(false);
  Choose(window, "IDC_HISTORY_GUARD", "全部");
  clickHeading(Button);
  const QStringList once = Column(window, Button);
  clickHeading(Button);
  const QStringList twice = Column(window, Button);
  EXPECT_TRUE(std::is_sorted(once.begin(), once.end()) ||
              std::is_sorted(once.rbegin(), once.rend()))
      << once.join(' ').toStdString();
  EXPECT_NE(once.front(), once.back());
  EXPECT_EQ(once.front(), twice.back()) << "reversed";

  // Copied rows are the shown ones, with both names.
  Choose(window, "IDC_HISTORY_PLACE", "北门 & <闸>");
  EXPECT_EQ(Count(window), "共 2 条");
  QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier);
  const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
  EXPECT_EQ(lines.value(0), "序号\t棒号\t日期\t钮号\t巡检员\t巡检点");
  EXPECT_EQ(lines.size(), 3);
  EXPECT_THAT(lines.mid(1).join('\n').toStdString(),
              testing::AllOf(testing::HasSubstr("0C0F\t2026-03-05 01:00\t00000011\t李四"),
                             testing::HasSubstr("0BEE\t2026-03-05 02:10\t00000011\t张三")));

  // A download archived meanwhile: the new reading shows, the filters stay.
  Archive(archive_, "0BEE",
          {Reading(4, 22, 0, 0x11), Reading(4, 23, 0, 0x22), Reading(5, 2, 10, 0x11),
           Reading(5, 3, 0, 0x22), Reading(5, 5, 0, 0x11), Reading(5, 6, 0, 0x22)});
  window.Refresh();
  EXPECT_EQ(window.findChild<QComboBox*>("IDC_HISTORY_PLACE")->currentText(), "北门 & <闸>");
  EXPECT_EQ(Count(window), "共 3 条");
}

// The window goes when closed, though not from under its own export.
TEST_F(HistoryWindowTest, ACloseDuringAnExportWaitsForIt) {
  std::vector<WandRecord> frames;
  for (int minute = 0; minute < 30000; ++minute) {
    frames.push_back(Reading(10 + minute / 60 / 24, minute / 60 % 24, minute % 60, 0x11));
  }
  Archive(archive_, "0D0D", frames);
  QPointer<HistoryWindow> window =
      new HistoryWindow(nullptr, archive_, archive::ArchiveAbsence::None);
  window->setAttribute(Qt::WA_DeleteOnClose);
  const std::filesystem::path target = folder_ / "history.xlsx";
  window->SetExportPathChooser([&](QWidget*, const QString&) {
    QTimer::singleShot(0, window, &HistoryWindow::reject);
    return QString::fromStdString(target.string());
  });
  window->findChild<QPushButton*>("IDC_HISTORY_EXPORT")->click();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_NE(window, nullptr);
  EXPECT_GT(std::filesystem::file_size(target), 0u);
  window->reject();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(window, nullptr);
}

TEST_F(HistoryWindowTest, AnArchiveThatCannotBeReadIsOneLineAndNothingToUse) {
  const std::filesystem::path garbage = folder_ / "garbage.sqlite";
  std::ofstream(garbage) << std::string(8192, 'x');
  HistoryWindow window(nullptr, archive::ArchiveAt(garbage), archive::ArchiveAbsence::None);
  const QString status = window.findChild<QLabel*>("IDC_HISTORY_STATUS")->text();
  EXPECT_TRUE(status.startsWith("无法读取存档:") && status.size() > 7 && !status.contains('\n'))
      << status.toStdString();
  EXPECT_FALSE(window.findChild<QWidget*>("IDC_HISTORY_NAMES")->isEnabled());
  EXPECT_FALSE(window.findChild<QWidget*>("IDC_HISTORY_GUARD")->isEnabled());
  EXPECT_EQ(std::filesystem::file_size(garbage), 8192u) << "only read";
}

// The list's texts come a page at a time from a cache: every page, and after a sort none of the
// old order.
TEST_F(HistoryWindowTest, ShowsTheTablesCellsAcrossPagesAndSorts) {
  std::vector<WandRecord> frames;
  for (int minute = 0; minute < 700; ++minute) {
    frames.push_back(
        Reading(10 + minute / 60 / 24, minute / 60 % 24, minute % 60, 0x100u + minute % 7u));
  }
  Archive(archive_, "0D0D", frames);
  HistoryWindow window(nullptr, archive_, archive::ArchiveAbsence::None);
  auto* list = window.findChild<QTableView*>("IDC_HISTORY_LIST");
  const auto* model = qobject_cast<const HistoryModel*>(list->model());
  const auto expectCells = [&] {
    ASSERT_EQ(model->rowCount(), 706);
    for (const int row : {0, 255, 256, 257, 511, 512, 705}) {
      for (int column = 0; column < archive::kHistoryColumnCount; ++column) {
        EXPECT_EQ(model->index(row, column).data().toString().toStdString(),
                  model->Table().Cell(static_cast<std::size_t>(row),
                                      static_cast<archive::HistoryColumn>(column)))
            << row << "," << column;
      }
    }
  };
  expectCells();
  list->sortByColumn(static_cast<int>(archive::HistoryColumn::Button), Qt::AscendingOrder);
  expectCells();
}

// The names: an unnamed button offered for naming, a bad number refused, an import that shows
// its bad rows and sets nothing until the user agrees.
TEST_F(HistoryWindowTest, NamesAreSetAndImportedOnlyWhenAgreedTo) {
  std::vector<QString> messages;
  NamesDialog names(nullptr, archive_,
                    [&](QWidget*, const QString& text) { messages.push_back(text); });
  bool agree = false;
  names.SetQuestionAsker([&](QWidget*, const QString&) { return agree; });
  const auto* places = names.findChild<QTableView*>("IDC_NAMES_PLACES")->model();
  ASSERT_EQ(places->rowCount(), 3);
  EXPECT_EQ(places->index(2, 0).data(), "00000033");
  EXPECT_EQ(places->index(2, 1).data(), "(未命名)");

  names.findChild<QLineEdit*>("IDC_NAMES_NUMBER")->setText("123");
  names.findChild<QLineEdit*>("IDC_NAMES_NAME")->setText("东门");
  names.OnSave();
  ASSERT_EQ(messages.size(), 1u) << "a number neither a wand's nor a button's";
  names.findChild<QLineEdit*>("IDC_NAMES_NUMBER")->setText("00000033");
  names.OnSave();
  EXPECT_EQ(places->index(2, 1).data(), "东门");

  const std::filesystem::path list = folder_ / "names.csv";
  std::ofstream(list) << "号码,名称\n0C0F,王五\n12,坏\n";
  const auto guardOf0C0F = [&] { return archive::ReadNames(archive_).guards.at(1).name; };
  for (const bool agreed : {false, true}) {
    messages.clear();
    agree = agreed;
    names.OnImport(QString::fromStdString(list.string()));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith("以下 1 行无法导入") && messages[0].contains("第 3 行"))
        << messages[0].toStdString();
    EXPECT_EQ(guardOf0C0F(), agreed ? "王五" : "李四");
  }
}

// The tests run with the archive turned off.
TEST(HistoryWindowWithoutArchive, OpensOnceByCtrlHAndSaysWhyInOneLine) {
  ASSERT_EQ(archive::WhyNoArchive(), archive::ArchiveAbsence::TurnedOff);
  ReaderDialog dialog;
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  QTest::keyClick(&dialog, Qt::Key_H, Qt::ControlModifier);
  QPointer<HistoryWindow> history = dialog.History();
  ASSERT_NE(history, nullptr);
  EXPECT_TRUE(history->isVisible());
  EXPECT_EQ(history->findChild<QLabel*>("IDC_HISTORY_STATUS")->text().toStdString(),
            res::LoadString(res::IDS_HISTORY_ARCHIVE_OFF));
  for (const char* control :
       {"IDC_HISTORY_FROM", "IDC_HISTORY_TO", "IDC_HISTORY_LAST_NIGHT", "IDC_HISTORY_GUARD",
        "IDC_HISTORY_PLACE", "IDC_HISTORY_NAMES", "IDC_HISTORY_EXPORT"}) {
    EXPECT_FALSE(history->findChild<QWidget*>(control)->isEnabled()) << control;
  }
  EXPECT_TRUE(history->findChild<QPushButton*>("IDCANCEL")->isEnabled());

  QTest::keyClick(&dialog, Qt::Key_H, Qt::ControlModifier);
  EXPECT_EQ(dialog.History(), history) << "one history window at a time";
  QTest::keyClick(history, Qt::Key_Escape);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(history, nullptr) << "closed and gone";
  EXPECT_TRUE(dialog.isVisible());
}

}  // namespace
}  // namespace ui

// What the history window costs at a million readings (history_archive.h), through the real
// window (offscreen): the time from opening it to its first rows painted, the time a guard's
// filter and a day's take to show (both bounds set), and the memory the window takes.
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QTableView>
#include <cstdio>
#include <filesystem>
#include <string>

#include "archive/archive_setting.h"
#include "dialog_font.h"
#include "history_archive.h"
#include "history_window.h"
#include "res/resource.h"

using bench::Milliseconds;

namespace {

// Until every event the change caused is handled and the list is painted anew.
void Settle(QTableView& list) {
  QApplication::processEvents();
  list.viewport()->repaint();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ui::SubstituteSongFace();
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("history_window_bench-" + std::to_string(::getpid()));
  const auto archive = bench::MakeHistoryArchive(folder);
  if (!archive) {
    return 1;
  }

  QWidget owner;
  const double before = bench::ResidentBytes();
  ui::HistoryWindow* window = nullptr;
  QTableView* list = nullptr;
  const double openMs = Milliseconds([&] {
    window = new ui::HistoryWindow(&owner, archive, archive::ArchiveAbsence::None);
    window->show();
    list = window->findChild<QTableView*>(QStringLiteral("IDC_HISTORY_LIST"));
    Settle(*list);
  });
  const double memory = bench::ResidentBytes() - before;
  const auto rows = static_cast<std::size_t>(list->model()->rowCount());
  std::printf(
      "History window of %zu readings open and painted: %.0f ms (target < 1000 ms); "
      "it takes %.1f MB\n",
      rows, openMs, memory / 1e6);

  auto* guard = window->findChild<QComboBox*>(QStringLiteral("IDC_HISTORY_GUARD"));
  const double guardMs = Milliseconds([&] {
    guard->setCurrentIndex(1);
    Settle(*list);
  });
  std::printf("A guard's readings (%d) shown: %.1f ms (target < 100 ms)\n",
              list->model()->rowCount(), guardMs);
  const double allMs = Milliseconds([&] {
    guard->setCurrentIndex(0);
    Settle(*list);
  });
  std::printf("All readings (%d) shown again: %.1f ms (target < 100 ms)\n",
              list->model()->rowCount(), allMs);
  // Both bounds set, as a user picks one day: two filters.
  const QDate day(2026, 2, 10);
  const double dayMs = Milliseconds([&] {
    window->findChild<ui::DatePicker*>(QStringLiteral("IDC_HISTORY_FROM"))->SetDate(day);
    window->findChild<ui::DatePicker*>(QStringLiteral("IDC_HISTORY_TO"))->SetDate(day);
    Settle(*list);
  });
  std::printf("A day's readings (%d) shown: %.1f ms for both bounds (target < 100 ms each)\n",
              list->model()->rowCount(), dayMs);
  delete window;
  std::filesystem::remove_all(folder);
  return 0;
}

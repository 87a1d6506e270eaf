// What the user can do with the records list's rows: copy the selected ones to the clipboard
// (Ctrl+C, tab-separated with the heading line first, so a spreadsheet pastes four columns, and
// as an HTML table that keeps the wand and button numbers as written), select all of them
// (Ctrl+A), and export the whole log to an Excel workbook or a CSV file. The list's menu offers
// the three; copy and export are disabled while the list is empty or a download runs.
//
// The export is written on a worker thread: the window goes on drawing, its progress bar shows
// how far the export is, and a failure of any kind (the disk, memory) is a box while the list
// keeps its rows.
#pragma once

#include <QAction>
#include <QMenu>
#include <QProgressBar>
#include <QTableView>
#include <functional>
#include <memory>
#include <vector>

#include "message_box.h"
#include "records_model.h"

namespace ui {

// Asks where to export, proposing a path; an empty answer cancels. The path's extension, .xlsx
// or .csv, says what is written.
using ExportPathChooser = std::function<QString(QWidget* owner, const QString& proposed)>;

QString ChooseExportPath(QWidget* owner, const QString& proposed);

// Rows of a log, as the clipboard takes them.
struct LogRows {
  std::shared_ptr<const wandlink::DownloadLog> log;
  std::vector<std::size_t> rows;
};

// The logs a list's rows are handed out as.
struct ListLogs {
  // Every row, in the list's order: what is exported, on a worker thread, while the list may
  // be given other rows.
  std::function<std::shared_ptr<const wandlink::DownloadLog>()> all;
  // The list's rows given (ascending).
  std::function<LogRows(std::vector<std::size_t> rows)> selected;
};

class RecordsActions : public QObject {
  Q_OBJECT

 public:
  // The actions' shortcuts work anywhere in the window. downloadRunning tells whether the
  // rows may be handed out; Refresh() whenever its answer may have changed.
  RecordsActions(QWidget* window, QTableView* list, RecordsModel* model,
                 std::function<bool()> downloadRunning, MessagePresenter presentMessage);
  // The same for any list, whose rows the logs give.
  RecordsActions(QWidget* window, QTableView* list, QAbstractItemModel* model, ListLogs logs,
                 std::function<bool()> downloadRunning, MessagePresenter presentMessage);

  void SetExportPathChooser(ExportPathChooser chooser) { chooseExportPath_ = std::move(chooser); }
  // The bar that shows an export's progress; none shows nothing.
  void ShowExportProgressOn(QProgressBar* bar) { exportProgress_ = bar; }

  void Refresh();

  // The list's menu, at a point on the screen.
  void ShowMenu(const QPoint& globalPosition);
  // The list's menu from the keyboard: beside the current row, or the list's corner.
  void ShowMenuAtCurrentRow();

  void Copy();
  void SelectAll();
  // Returns once the export has ended, the window's events running meanwhile.
  void Export();
  // Whether an export is being written: the progress bar is its own until it ends.
  bool Exporting() const { return exporting_; }

  QMenu* Menu() const { return menu_; }

 private:
  QWidget* window_;
  QTableView* list_;
  QAbstractItemModel* model_;
  ListLogs logs_;
  std::function<bool()> downloadRunning_;
  MessagePresenter presentMessage_;
  ExportPathChooser chooseExportPath_ = ChooseExportPath;
  QProgressBar* exportProgress_ = nullptr;
  bool exporting_ = false;
  QMenu* menu_;
  QAction* copy_;
  QAction* selectAll_;
  QAction* export_;
};

}  // namespace ui

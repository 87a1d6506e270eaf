#include "records_actions.h"

#include <QClipboard>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMimeData>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <iostream>
#include <system_error>
#include <thread>
#include <vector>

#include "logfile/log_export.h"
#include "logfile/log_html.h"
#include "logfile/log_text.h"
#include "qt_text.h"
#include "res/string_table.h"
#include "wandlink/messages.h"

namespace ui {
namespace {

QString Resource(int id) {
  return Text(res::LoadString(id));
}

// How often the progress bar follows the export.
constexpr int kProgressIntervalMs = 100;

// The menu entry's text without its mnemonic and ellipsis: the export dialog's title.
QString ExportTitle() {
  return Resource(res::IDS_RECORDS_EXPORT).remove(QStringLiteral("(&E)...")).trimmed();
}

}  // namespace

QString ChooseExportPath(QWidget* owner, const QString& proposed) {
  const QString workbook = Resource(res::IDS_EXPORT_FILTER);
  const QString csv = Resource(res::IDS_EXPORT_FILTER_CSV);
  QString chosenFilter = workbook;
  QString path = QFileDialog::getSaveFileName(owner, ExportTitle(), proposed,
                                              workbook + QStringLiteral(";;") + csv, &chosenFilter);
  // A name without either extension gets the chosen type's.
  if (!path.isEmpty() && !path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive) &&
      !path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
    path += QLatin1String(wandlink::ExportExtension(
        chosenFilter == csv ? wandlink::ExportType::Csv : wandlink::ExportType::Workbook));
  }
  return path;
}

RecordsActions::RecordsActions(QWidget* window, QTableView* list, RecordsModel* model,
                               std::function<bool()> downloadRunning,
                               MessagePresenter presentMessage)
    : RecordsActions(window, list, model,
                     ListLogs{[model] { return model->SharedLog(); },
                              [model](std::vector<std::size_t> rows) {
                                return LogRows{model->SharedLog(), std::move(rows)};
                              }},
                     std::move(downloadRunning), std::move(presentMessage)) {}

RecordsActions::RecordsActions(QWidget* window, QTableView* list, QAbstractItemModel* model,
                               ListLogs logs, std::function<bool()> downloadRunning,
                               MessagePresenter presentMessage)
    : QObject(window),
      window_(window),
      list_(list),
      model_(model),
      logs_(std::move(logs)),
      downloadRunning_(std::move(downloadRunning)),
      presentMessage_(std::move(presentMessage)),
      menu_(new QMenu(window)) {
  menu_->setObjectName(QStringLiteral("recordsMenu"));
  const auto add = [this](int textId, QKeySequence keys, void (RecordsActions::*run)()) {
    QAction* action = menu_->addAction(Resource(textId));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    window_->addAction(action);
    connect(action, &QAction::triggered, this, run);
    return action;
  };
  copy_ = add(res::IDS_RECORDS_COPY, QKeySequence::Copy, &RecordsActions::Copy);
  selectAll_ =
      add(res::IDS_RECORDS_SELECT_ALL, QKeySequence::SelectAll, &RecordsActions::SelectAll);
  menu_->addSeparator();
  export_ = add(res::IDS_RECORDS_EXPORT, {}, &RecordsActions::Export);

  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& position) { ShowMenu(list_->viewport()->mapToGlobal(position)); });
  connect(model_, &QAbstractItemModel::modelReset, this, &RecordsActions::Refresh);
  Refresh();
}

void RecordsActions::Refresh() {
  const bool rows = model_->rowCount() > 0;
  const bool mayHandOut = rows && !downloadRunning_();
  copy_->setEnabled(mayHandOut);
  export_->setEnabled(mayHandOut && !exporting_);
  selectAll_->setEnabled(rows);
}

void RecordsActions::ShowMenu(const QPoint& globalPosition) {
  Refresh();
  menu_->popup(globalPosition);
}

void RecordsActions::ShowMenuAtCurrentRow() {
  const QRect row = list_->visualRect(list_->currentIndex());
  const QPoint corner = row.isValid() ? row.bottomLeft() : QPoint(0, 0);
  ShowMenu(list_->viewport()->mapToGlobal(corner));
}

void RecordsActions::Copy() {
  Refresh();
  if (!copy_->isEnabled()) {
    return;
  }
  std::vector<std::size_t> rows;
  for (const QModelIndex& index : list_->selectionModel()->selectedRows()) {
    rows.push_back(static_cast<std::size_t>(index.row()));
  }
  if (rows.empty()) {
    return;
  }
  std::sort(rows.begin(), rows.end());
  const LogRows copied = logs_.selected(std::move(rows));
  // The text, and the table as HTML that keeps the wand and button numbers as written.
  auto* data = new QMimeData;
  data->setText(Text(wandlink::LogRowsText(*copied.log, copied.rows, wandlink::kTabSeparated)));
  data->setHtml(Text(wandlink::LogRowsHtml(*copied.log, copied.rows)));
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setMimeData(data);
  // The system's clipboard tells no failure but by not holding what was set.
  if (!clipboard->ownsClipboard()) {
    std::cerr << "Korvanta: the rows could not be copied: the clipboard did not take them\n";
    presentMessage_(window_, Text(wandlink::kCopyFailedMessage));
  }
}

void RecordsActions::SelectAll() {
  if (model_->rowCount() > 0) {
    list_->selectAll();
  }
}

void RecordsActions::Export() {
  Refresh();
  if (!export_->isEnabled()) {
    return;
  }
  // The workbook or the CSV file, as the name's extension says, from a log of its own: a
  // download started meanwhile gives the list another.
  const std::shared_ptr<const wandlink::DownloadLog> log = logs_.all();
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  const QString proposed = documents + QLatin1Char('/') + Text(wandlink::SuggestedExportName(*log));
  const QString path = chooseExportPath_(window_, proposed);
  if (path.isEmpty()) {
    return;
  }
  const std::filesystem::path target(QFile::encodeName(path).toStdString());
  std::atomic<std::size_t> done{0};
  std::atomic<std::size_t> total{log->RowCount()};
  std::string failure;
  QEventLoop waiting;
  const auto exportOnWorker = [&] {
    failure = wandlink::ExportLog(*log, target, wandlink::ExportTypeOf(target),
                                  [&](std::size_t rows, std::size_t of) {
                                    done = rows;
                                    total = of;
                                  });
    QMetaObject::invokeMethod(&waiting, &QEventLoop::quit, Qt::QueuedConnection);
  };

  exporting_ = true;
  Refresh();
  const bool barShown = exportProgress_ != nullptr && exportProgress_->isVisible();
  const int barValue = exportProgress_ != nullptr ? exportProgress_->value() : 0;
  QTimer progress;
  if (exportProgress_ != nullptr) {
    exportProgress_->setValue(exportProgress_->minimum());
    exportProgress_->show();
    connect(&progress, &QTimer::timeout, exportProgress_, [&] {
      const std::size_t of = std::max<std::size_t>(total, 1);
      exportProgress_->setValue(
          exportProgress_->minimum() +
          static_cast<int>(
              done *
              static_cast<std::size_t>(exportProgress_->maximum() - exportProgress_->minimum()) /
              of));
    });
    progress.start(kProgressIntervalMs);
  }
  try {
    std::thread worker(exportOnWorker);
    waiting.exec();
    worker.join();
  } catch (const std::system_error& error) {
    failure = error.code().message();
  }
  progress.stop();
  if (exportProgress_ != nullptr) {
    exportProgress_->setValue(barValue);
    exportProgress_->setVisible(barShown);
  }
  exporting_ = false;
  Refresh();
  if (!failure.empty()) {
    presentMessage_(window_, Text(wandlink::kExportFailedMessage) + QLatin1Char('\n') +
                                 QString::fromStdString(failure));
  }
}

}  // namespace ui

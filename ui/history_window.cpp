#include "history_window.h"

#include <QHeaderView>
#include <QKeySequence>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStringList>
#include <iostream>
#include <numeric>

#include "archive/sqlite_db.h"
#include "names_dialog.h"
#include "qt_text.h"
#include "res/history_dialog.h"
#include "res/string_table.h"
#include "wandlink/local_clock.h"

namespace ui {
namespace {

// In dialog units; the checkpoint takes what is left.
constexpr int kColumnWidths[archive::kHistoryColumnCount - 1] = {70, 28, 80, 44};

QString Resource(int id) {
  return Text(res::LoadString(id));
}

std::string Day(const std::optional<QDate>& date) {
  return date ? date->toString(QStringLiteral("yyyy-MM-dd")).toStdString() : std::string();
}

QString AbsenceText(archive::ArchiveAbsence absence) {
  switch (absence) {
    case archive::ArchiveAbsence::NoSqlite:
      return Resource(res::IDS_HISTORY_NO_SQLITE);
    case archive::ArchiveAbsence::NoPlace:
      return Resource(res::IDS_HISTORY_NO_PLACE);
    case archive::ArchiveAbsence::None:
    case archive::ArchiveAbsence::TurnedOff:
      break;
  }
  return Resource(res::IDS_HISTORY_ARCHIVE_OFF);
}

}  // namespace

HistoryWindow::HistoryWindow(QWidget* parent, std::optional<archive::Archive> archive,
                             archive::ArchiveAbsence absence)
    // A window of its own beside the main window, not over it; a child of the main window
    // all the same, so that the main window's modal loop lets it take input.
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      archive_(std::move(archive)) {
  builder_.emplace(*this, res::kHistoryDialog);
  from_ = builder_->Control<DatePicker>(res::IDC_HISTORY_FROM);
  to_ = builder_->Control<DatePicker>(res::IDC_HISTORY_TO);
  guard_ = builder_->Control<DropDownList>(res::IDC_HISTORY_GUARD);
  place_ = builder_->Control<DropDownList>(res::IDC_HISTORY_PLACE);
  count_ = builder_->Control<QLabel>(res::IDC_HISTORY_COUNT);
  status_ = builder_->Control<QLabel>(res::IDC_HISTORY_STATUS);
  list_ = builder_->Control<QTableView>(res::IDC_HISTORY_LIST);
  setWindowIcon(parent != nullptr ? parent->windowIcon() : QIcon());

  model_ = new HistoryModel(this);
  list_->setModel(model_);
  const BaseUnits units = builder_->Units();
  for (int column = 0; column < archive::kHistoryColumnCount - 1; ++column) {
    list_->setColumnWidth(column, kColumnWidths[column] * units.x / 4);
  }
  list_->horizontalHeader()->setStretchLastSection(true);
  list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 4);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setWordWrap(false);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  // Newest first, as the table is after a load; the indicator first, so that turning sorting
  // on sorts nothing anew.
  list_->horizontalHeader()->setSortIndicator(static_cast<int>(archive::HistoryColumn::Date),
                                              Qt::DescendingOrder);
  list_->setSortingEnabled(true);

  const ListLogs logs{
      [this] { return std::make_shared<const wandlink::DownloadLog>(model_->Table().ShownLog()); },
      [this](std::vector<std::size_t> rows) {
        LogRows copied{
            std::make_shared<const wandlink::DownloadLog>(model_->Table().ShownLog(rows)),
            std::vector<std::size_t>(rows.size())};
        std::iota(copied.rows.begin(), copied.rows.end(), std::size_t{0});
        return copied;
      }};
  actions_ = new RecordsActions(
      this, list_, model_, logs, [] { return false; },
      [this](QWidget* owner, const QString& text) { presentMessage_(owner, text); });

  // The list's menu from the keyboard, as in the main window.
  for (const QKeySequence& keys :
       {QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)}) {
    auto* shortcut = new QShortcut(keys, list_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(shortcut, &QShortcut::activated, actions_, &RecordsActions::ShowMenuAtCurrentRow);
  }
  connect(from_, &DatePicker::DateChanged, this, &HistoryWindow::ApplyFilter);
  connect(to_, &DatePicker::DateChanged, this, &HistoryWindow::ApplyFilter);
  connect(guard_, &QComboBox::currentIndexChanged, this, &HistoryWindow::ApplyFilter);
  connect(place_, &QComboBox::currentIndexChanged, this, &HistoryWindow::ApplyFilter);
  connect(builder_->Control<QPushButton>(res::IDC_HISTORY_LAST_NIGHT), &QPushButton::clicked, this,
          &HistoryWindow::OnLastNight);
  connect(builder_->Control<QPushButton>(res::IDC_HISTORY_EXPORT), &QPushButton::clicked, actions_,
          &RecordsActions::Export);
  connect(builder_->Control<QPushButton>(res::IDC_HISTORY_NAMES), &QPushButton::clicked, this,
          &HistoryWindow::OnNames);
  connect(builder_->Control<QPushButton>(res::IDCANCEL), &QPushButton::clicked, this,
          &HistoryWindow::reject);

  if (!archive_) {
    ShowUnavailable(AbsenceText(absence));
    return;
  }
  Load();
}

void HistoryWindow::SetMessagePresenter(MessagePresenter presenter) {
  presentMessage_ = std::move(presenter);
}

void HistoryWindow::Load() {
  try {
    model_->Change([this](archive::HistoryTable& table) { table.Load(*archive_); });
  } catch (const archive::SqliteError& error) {
    ShowUnreadable(error);
    return;
  }
  available_ = true;
  // Which archive is shown, as the Windows window says it.
  status_->setText(QString::fromStdU16String(archive_->file.u16string()));
  FillChoices();
  ApplyFilter();
}

void HistoryWindow::Refresh() {
  if (!available_) {
    return;
  }
  const int scrolledTo = list_->verticalScrollBar()->value();
  try {
    model_->Change([this](archive::HistoryTable& table) { table.Refresh(*archive_); });
  } catch (const archive::SqliteError& error) {
    ShowUnreadable(error);
    return;
  }
  FillChoices();
  ApplyFilter();
  list_->verticalScrollBar()->setValue(scrolledTo);
}

void HistoryWindow::ShowUnreadable(const std::exception& error) {
  std::cerr << "Korvanta: the history could not read the archive: " << error.what() << '\n';
  ShowUnavailable(Resource(res::IDS_HISTORY_ARCHIVE_UNREADABLE) +
                  QString::fromUtf8(error.what()).simplified());
}

void HistoryWindow::ShowUnavailable(const QString& why) {
  available_ = false;
  model_->Change([](archive::HistoryTable& table) { table = archive::HistoryTable(); });
  status_->setText(why);
  status_->setToolTip(why);
  for (const int id : {res::IDC_HISTORY_FROM, res::IDC_HISTORY_TO, res::IDC_HISTORY_LAST_NIGHT,
                       res::IDC_HISTORY_GUARD, res::IDC_HISTORY_PLACE, res::IDC_HISTORY_NAMES,
                       res::IDC_HISTORY_EXPORT}) {
    builder_->Control(id)->setEnabled(false);
  }
  count_->clear();
}

void HistoryWindow::FillChoices() {
  const auto fill = [](DropDownList* list, std::vector<archive::FilterChoice>& shown,
                       std::vector<archive::FilterChoice> choices) {
    const int current = list->currentIndex();
    std::size_t keep = 0;
    if (current > 0 && static_cast<std::size_t>(current) < shown.size()) {
      const archive::FilterChoice& was = shown[static_cast<std::size_t>(current)];
      for (std::size_t index = 0; index < choices.size(); ++index) {
        if (choices[index].name == was.name && choices[index].number == was.number) {
          keep = index;
        }
      }
    }
    QStringList texts;
    for (const archive::FilterChoice& choice : choices) {
      texts.push_back(Text(choice.text));
    }
    shown = std::move(choices);
    const QSignalBlocker quiet(list);
    list->clear();
    list->addItems(texts);
    list->setCurrentIndex(static_cast<int>(keep));
  };
  fill(guard_, guardChoices_, model_->Table().GuardChoices());
  fill(place_, placeChoices_, model_->Table().PlaceChoices());
}

archive::HistoryFilter HistoryWindow::Filter() const {
  archive::HistoryFilter filter{.from = Day(from_->Date()), .to = Day(to_->Date())};
  const auto choice = [](const DropDownList* list,
                         const std::vector<archive::FilterChoice>& choices) {
    const int index = list->currentIndex();
    return index >= 0 && static_cast<std::size_t>(index) < choices.size()
               ? choices[static_cast<std::size_t>(index)]
               : archive::FilterChoice{};
  };
  const archive::FilterChoice guard = choice(guard_, guardChoices_);
  filter.guard = guard.name;
  filter.wand = guard.number;
  const archive::FilterChoice place = choice(place_, placeChoices_);
  filter.place = place.name;
  filter.button = place.number;
  return filter;
}

void HistoryWindow::ApplyFilter() {
  if (!available_) {
    return;
  }
  const archive::HistoryFilter filter = Filter();
  model_->Change([&](archive::HistoryTable& table) { table.SetFilter(filter); });
  count_->setText(Text(archive::HistoryCountText(model_->Table().RowCount())));
  builder_->Control(res::IDC_HISTORY_EXPORT)->setEnabled(model_->rowCount() > 0);
}

void HistoryWindow::OnLastNight() {
  const archive::DateRange night = archive::LastNight(wandlink::SystemLocalTime());
  const auto date = [](const std::string& day) {
    return QDate::fromString(QString::fromStdString(day), QStringLiteral("yyyy-MM-dd"));
  };
  {
    // One filtering for both bounds.
    const QSignalBlocker quietFrom(from_);
    const QSignalBlocker quietTo(to_);
    from_->SetDate(date(night.from));
    to_->SetDate(date(night.to));
  }
  ApplyFilter();
}

void HistoryWindow::reject() {
  if (!actions_->Exporting()) {
    QDialog::reject();
  }
}

void HistoryWindow::OnNames() {
  if (!available_) {
    return;
  }
  NamesDialog names(this, *archive_, presentMessage_);
  names.exec();
  Refresh();
}

}  // namespace ui

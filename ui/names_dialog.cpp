#include "names_dialog.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <iostream>
#include <tuple>

#include "archive/names.h"
#include "archive/names_csv.h"
#include "archive/sqlite_db.h"
#include "logfile/durable_file.h"
#include "logfile/log_export.h"
#include "qt_text.h"
#include "res/names_dialog.h"
#include "res/string_table.h"

namespace ui {
namespace {

// Whether a row's name is one the archive keeps, rather than the unnamed mark.
constexpr int kNamedRole = Qt::UserRole;

QString Resource(int id) {
  return Text(res::LoadString(id));
}

// The button's text without its mnemonic and ellipsis: its file dialog's title.
QString Title(const QPushButton* button) {
  return button->text().remove(QRegularExpression(QStringLiteral("\\(&.\\)|\\.\\.\\.")));
}

void FillRows(QStandardItemModel& rows, const std::vector<archive::NamedNumber>& named,
              const std::vector<std::string>& unnamed) {
  rows.removeRows(0, rows.rowCount());
  const auto add = [&rows](const std::string& number, const QString& name, bool isNamed) {
    auto* numberItem = new QStandardItem(Text(number));
    auto* nameItem = new QStandardItem(name);
    numberItem->setData(isNamed, kNamedRole);
    if (!isNamed) {
      nameItem->setForeground(QPalette().brush(QPalette::Disabled, QPalette::Text));
    }
    rows.appendRow({numberItem, nameItem});
  };
  for (const archive::NamedNumber& entry : named) {
    add(entry.number, Text(entry.name), true);
  }
  for (const std::string& number : unnamed) {
    add(number, Resource(res::IDS_NAMES_UNNAMED), false);
  }
}

}  // namespace

bool AskQuestion(QWidget* owner, const QString& question) {
  return QMessageBox::question(owner, QCoreApplication::applicationName(), question) ==
         QMessageBox::Yes;
}

NamesDialog::NamesDialog(QWidget* parent, archive::Archive archive, MessagePresenter presentMessage)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      archive_(std::move(archive)),
      presentMessage_(std::move(presentMessage)) {
  builder_.emplace(*this, res::kNamesDialog);
  guards_ = builder_->Control<QTableView>(res::IDC_NAMES_GUARDS);
  places_ = builder_->Control<QTableView>(res::IDC_NAMES_PLACES);
  number_ = builder_->Control<QLineEdit>(res::IDC_NAMES_NUMBER);
  name_ = builder_->Control<QLineEdit>(res::IDC_NAMES_NAME);
  guardRows_ = new QStandardItemModel(0, 2, this);
  guardRows_->setHorizontalHeaderLabels({QStringLiteral("棒号"), QStringLiteral("巡检员")});
  placeRows_ = new QStandardItemModel(0, 2, this);
  placeRows_->setHorizontalHeaderLabels({QStringLiteral("钮号"), QStringLiteral("巡检点")});

  const BaseUnits units = builder_->Units();
  for (const auto& [list, rows, numberWidth] :
       {std::tuple{guards_, guardRows_, 30}, std::tuple{places_, placeRows_, 44}}) {
    list->setModel(rows);
    list->setColumnWidth(0, numberWidth * units.x / 4);
    list->horizontalHeader()->setStretchLastSection(true);
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->verticalHeader()->hide();
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 4);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setWordWrap(false);
    connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &NamesDialog::OnRowChosen);
  }
  connect(builder_->Control<QPushButton>(res::IDC_NAMES_SAVE), &QPushButton::clicked, this,
          &NamesDialog::OnSave);
  connect(builder_->Control<QPushButton>(res::IDC_NAMES_REMOVE), &QPushButton::clicked, this,
          &NamesDialog::OnRemove);
  connect(builder_->Control<QPushButton>(res::IDC_NAMES_IMPORT), &QPushButton::clicked, this,
          [this] { OnImport(); });
  connect(builder_->Control<QPushButton>(res::IDC_NAMES_EXPORT), &QPushButton::clicked, this,
          &NamesDialog::OnExport);
  connect(builder_->Control<QPushButton>(res::IDCANCEL), &QPushButton::clicked, this,
          &NamesDialog::reject);
  Fill();
}

bool NamesDialog::Change(const std::function<void()>& change) {
  try {
    change();
    return true;
  } catch (const archive::SqliteError& error) {
    std::cerr << "Korvanta: the names could not be changed: " << error.what() << '\n';
    presentMessage_(this, Resource(res::IDS_NAMES_NOT_SAVED) + QString::fromUtf8(error.what()));
    return false;
  }
}

void NamesDialog::Fill(const QString& selectNumber) {
  Change([this] {
    const archive::NameBook names = archive::ReadNames(archive_);
    FillRows(*guardRows_, names.guards, archive::UnnamedWands(archive_));
    FillRows(*placeRows_, names.checkpoints, archive::UnnamedButtons(archive_));
  });
  for (QTableView* list : {guards_, places_}) {
    const QModelIndexList found = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole,
                                                       selectNumber, 1, Qt::MatchFixedString);
    if (!selectNumber.isEmpty() && !found.isEmpty()) {
      list->setCurrentIndex(found.first());
      list->scrollTo(found.first());
    }
  }
}

void NamesDialog::OnRowChosen(const QModelIndex& index) {
  if (!index.isValid()) {
    return;
  }
  const QAbstractItemModel* rows = index.model();
  // One row chosen at a time, in either list.
  QTableView* other = rows == guardRows_ ? places_ : guards_;
  other->selectionModel()->clear();
  const QModelIndex number = rows->index(index.row(), 0);
  number_->setText(number.data().toString());
  name_->setText(number.data(kNamedRole).toBool() ? rows->index(index.row(), 1).data().toString()
                                                  : QString());
}

void NamesDialog::OnSave() {
  const std::optional<archive::NumberKind> number =
      archive::ParseNumber(number_->text().trimmed().toStdString());
  if (!number) {
    presentMessage_(this, Resource(res::IDS_NAMES_BAD_NUMBER));
    number_->setFocus();
    return;
  }
  const std::string name = name_->text().toStdString();
  if (const std::string problem = archive::NameProblem(name); !problem.empty()) {
    presentMessage_(this, Text(problem));
    name_->setFocus();
    return;
  }
  if (Change([&] { archive::SetName(archive_, {number->number, name}); })) {
    Fill(Text(number->number));
  }
}

void NamesDialog::OnRemove() {
  const std::optional<archive::NumberKind> number =
      archive::ParseNumber(number_->text().trimmed().toStdString());
  if (!number) {
    presentMessage_(this, Resource(res::IDS_NAMES_BAD_NUMBER));
    return;
  }
  if (Change([&] { archive::RemoveName(archive_, number->number); })) {
    name_->clear();
    Fill(Text(number->number));
  }
}

void NamesDialog::OnImport(QString path) {
  if (path.isEmpty()) {
    path = QFileDialog::getOpenFileName(
        this, Title(builder_->Control<QPushButton>(res::IDC_NAMES_IMPORT)),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        Resource(res::IDS_NAMES_FILTER_CSV));
    if (path.isEmpty()) {
      return;
    }
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    presentMessage_(this, Resource(res::IDS_NAMES_FILE_FAILED) + file.errorString());
    return;
  }
  const QByteArray bytes = file.readAll();
  const archive::NamesCsvRead read = archive::ReadNamesCsv(
      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (!read.rejected.empty()) {
    presentMessage_(this, Resource(res::IDS_NAMES_IMPORT_REJECTED).arg(read.rejected.size()) +
                              QLatin1Char('\n') + Text(archive::RejectedRowsText(read.rejected)));
  }
  if (read.names.empty() ||
      !ask_(this, Resource(res::IDS_NAMES_IMPORT_CONFIRM).arg(read.names.size()))) {
    return;
  }
  if (Change([&] { archive::ImportNames(archive_, read.names); })) {
    Fill();
  }
}

void NamesDialog::OnExport() {
  const QPushButton* button = builder_->Control<QPushButton>(res::IDC_NAMES_EXPORT);
  QString path = QFileDialog::getSaveFileName(
      this, Title(button),
      QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
          QStringLiteral("/names.csv"),
      Resource(res::IDS_NAMES_FILTER_CSV));
  if (path.isEmpty()) {
    return;
  }
  if (!path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
    path += QStringLiteral(".csv");
  }
  std::string text;
  if (!Change([&] { text = archive::NamesCsvText(archive::ReadNames(archive_)); })) {
    return;
  }
  const std::string failure =
      wandlink::WriteFileDurably(wandlink::PathFromUtf8(path.toStdString()),
                                 [&text](wandlink::ByteSink& out) { out.Write(text); });
  if (!failure.empty()) {
    presentMessage_(this, Resource(res::IDS_NAMES_FILE_FAILED) + Text(failure));
  }
}

}  // namespace ui

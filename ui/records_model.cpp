#include "records_model.h"

namespace ui {

void RecordsModel::SetLog(wandlink::DownloadLog log) {
  beginResetModel();
  log_ = std::make_shared<const wandlink::DownloadLog>(std::move(log));
  endResetModel();
}

int RecordsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(log_->RowCount());
}

int RecordsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : wandlink::kColumnCount;
}

QVariant RecordsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) {
    return {};
  }
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
  }
  if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) {
    return {};
  }
  return QString::fromStdString(
      log_->CellText(static_cast<std::size_t>(index.row()), index.column()));
}

QVariant RecordsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= wandlink::kColumnCount) {
    return {};
  }
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
  }
  if (role != Qt::DisplayRole) {
    return {};
  }
  const auto heading = wandlink::kColumnHeadings[static_cast<std::size_t>(section)];
  return QString::fromUtf8(heading.data(), static_cast<qsizetype>(heading.size()));
}

}  // namespace ui

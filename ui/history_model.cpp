#include "history_model.h"

#include <algorithm>

#include "qt_text.h"

namespace ui {

void HistoryModel::Change(const std::function<void(archive::HistoryTable&)>& change) {
  beginResetModel();
  pages_.clear();
  try {
    change(table_);
  } catch (...) {
    endResetModel();
    throw;
  }
  endResetModel();
}

int HistoryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(table_.RowCount());
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : archive::kHistoryColumnCount;
}

const QStringList& HistoryModel::Page(std::size_t page) const {
  if (const QStringList* cached = pages_.object(page)) {
    return *cached;
  }
  const std::size_t first = page * kPageRows;
  const std::size_t end = std::min(first + kPageRows, table_.RowCount());
  auto* cells = new QStringList;
  cells->reserve(static_cast<qsizetype>((end - first) * archive::kHistoryColumnCount));
  for (std::size_t row = first; row < end; ++row) {
    for (int column = 0; column < archive::kHistoryColumnCount; ++column) {
      cells->push_back(Text(table_.Cell(row, static_cast<archive::HistoryColumn>(column))));
    }
  }
  pages_.insert(page, cells);
  return *cells;
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)) {
    return {};
  }
  const auto row = static_cast<std::size_t>(index.row());
  return Page(row / kPageRows)
      .at(static_cast<qsizetype>((row % kPageRows) * archive::kHistoryColumnCount) +
          index.column());
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= archive::kHistoryColumnCount) {
    return {};
  }
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
  }
  if (role != Qt::DisplayRole) {
    return {};
  }
  return Text(archive::kHistoryHeadings[static_cast<std::size_t>(section)]);
}

void HistoryModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= archive::kHistoryColumnCount) {
    return;
  }
  Change([&](archive::HistoryTable& table) {
    table.SortBy(static_cast<archive::HistoryColumn>(column), order == Qt::AscendingOrder);
  });
}

}  // namespace ui

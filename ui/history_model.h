// The history list's rows: a read-only table over the archive's history. The texts are made a
// page of rows at a time when the view asks for a cell, and only a few pages are kept, so a
// million readings cost the list no more than the rows on screen.
#pragma once

#include <QAbstractTableModel>
#include <QCache>
#include <QStringList>
#include <functional>

#include "archive/history_table.h"

namespace ui {

class HistoryModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;

  const archive::HistoryTable& Table() const { return table_; }
  // Changes the table (a load, a filter) as one reset of the list; also when the change throws.
  void Change(const std::function<void(archive::HistoryTable&)>& change);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // A heading's click: that column, either way; rows equal in it stay newest first.
  void sort(int column, Qt::SortOrder order) override;

  static constexpr int kPageRows = 256;

 private:
  // The page's cells, row by row.
  const QStringList& Page(std::size_t page) const;

  archive::HistoryTable table_;
  mutable QCache<std::size_t, QStringList> pages_{8};
};

}  // namespace ui

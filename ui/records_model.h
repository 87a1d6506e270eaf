// The records list's rows: a read-only table over the log of the last complete download.
// The texts of a cell are made when the view asks for them, so a 60001-row log is shown at
// once and only the visible rows cost anything.
#pragma once

#include <QAbstractTableModel>
#include <memory>

#include "wandlink/download_log.h"

namespace ui {

class RecordsModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;

  void SetLog(wandlink::DownloadLog log);
  void Clear() { SetLog({}); }
  const wandlink::DownloadLog& Log() const { return *log_; }
  // The log for a worker to read while the list may be given another.
  std::shared_ptr<const wandlink::DownloadLog> SharedLog() const { return log_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::shared_ptr<const wandlink::DownloadLog> log_ =
      std::make_shared<const wandlink::DownloadLog>();
};

}  // namespace ui

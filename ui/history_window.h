// The history window (巡检记录): every archived reading with its guard and checkpoint, filtered
// by dates, guard and checkpoint, newest first or sorted by a heading's click, copied and
// exported as the records list is. Modeless beside the main window, which stays usable: a
// download may run meanwhile, and Refresh() shows its readings once they are archived.
//
// Without an archive (turned off, no SQLite, a file that cannot be read) the window still
// opens, says why on its status line and offers nothing that needs the archive.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <exception>
#include <optional>
#include <vector>

#include "archive/archive.h"
#include "archive/archive_setting.h"
#include "archive/history_table.h"
#include "date_picker.h"
#include "dialog_builder.h"
#include "drop_down_list.h"
#include "history_model.h"
#include "message_box.h"
#include "records_actions.h"

namespace ui {

class HistoryWindow : public QDialog {
  Q_OBJECT

 public:
  // The history of the archive; without one, absence says why.
  HistoryWindow(QWidget* parent, std::optional<archive::Archive> archive,
                archive::ArchiveAbsence absence);

  void SetMessagePresenter(MessagePresenter presenter);
  void SetExportPathChooser(ExportPathChooser chooser) {
    actions_->SetExportPathChooser(std::move(chooser));
  }

  // Adds the readings archived since and reads the names anew; the filters, the order and the
  // list's place stay.
  void Refresh();

  void OnLastNight();
  void OnNames();

  // Escape, 关闭 and the close box end the window, though not while it writes an export,
  // which returns into it.
  void reject() override;

 private:
  void Load();
  void ApplyFilter();
  // Fills the guard and checkpoint lists anew, keeping each one's choice while it is there.
  void FillChoices();
  void ShowUnavailable(const QString& why);
  void ShowUnreadable(const std::exception& error);
  archive::HistoryFilter Filter() const;

  std::optional<DialogBuilder> builder_;
  std::optional<archive::Archive> archive_;
  DatePicker* from_ = nullptr;
  DatePicker* to_ = nullptr;
  DropDownList* guard_ = nullptr;
  DropDownList* place_ = nullptr;
  std::vector<archive::FilterChoice> guardChoices_;
  std::vector<archive::FilterChoice> placeChoices_;
  QLabel* count_ = nullptr;
  QLabel* status_ = nullptr;
  QTableView* list_ = nullptr;
  HistoryModel* model_ = nullptr;
  RecordsActions* actions_ = nullptr;
  MessagePresenter presentMessage_ = ShowMessageBox;
  bool available_ = false;
};

}  // namespace ui

// The names dialog (名称): the guards of the wands and the checkpoints of the buttons, as the
// archive keeps them. The numbers the archive has readings of but no name for are listed too,
// so that they can be named. The number typed says which list a name is for; the lists are read
// from and written to a CSV list, and an import shows the rows it cannot use and asks before
// it sets anything.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>
#include <functional>
#include <optional>

#include "archive/archive.h"
#include "dialog_builder.h"
#include "message_box.h"

namespace ui {

// Asks a yes-or-no question; true for yes.
using QuestionAsker = std::function<bool(QWidget* owner, const QString& question)>;

bool AskQuestion(QWidget* owner, const QString& question);

class NamesDialog : public QDialog {
  Q_OBJECT

 public:
  NamesDialog(QWidget* parent, archive::Archive archive, MessagePresenter presentMessage);

  void SetQuestionAsker(QuestionAsker asker) { ask_ = std::move(asker); }

  void OnSave();
  void OnRemove();
  // Reads the CSV list at the path; with none, asks for one.
  void OnImport(QString path = {});
  void OnExport();

 private:
  // Reads the lists anew, selecting the number's row.
  void Fill(const QString& selectNumber = {});
  void OnRowChosen(const QModelIndex& index);
  // Runs a change of the archive; false, the user told why, when it failed.
  bool Change(const std::function<void()>& change);

  std::optional<DialogBuilder> builder_;
  archive::Archive archive_;
  MessagePresenter presentMessage_;
  QuestionAsker ask_ = AskQuestion;
  QTableView* guards_ = nullptr;
  QTableView* places_ = nullptr;
  QStandardItemModel* guardRows_ = nullptr;
  QStandardItemModel* placeRows_ = nullptr;
  QLineEdit* number_ = nullptr;
  QLineEdit* name_ = nullptr;
};

}  // namespace ui

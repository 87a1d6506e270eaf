// A date picker as the templates describe one: a date edit, with a check box in front when the
// control may set no date at all (DTS_SHOWNONE). Unchecked, the picker gives no date; choosing
// a date checks it, as the Windows control does.
#pragma once

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QWidget>
#include <optional>

namespace ui {

class DatePicker : public QWidget {
  Q_OBJECT

 public:
  DatePicker(bool mayBeNone, QWidget* parent);

  // The date, or nothing while the check box is unchecked.
  std::optional<QDate> Date() const;
  // Shows the date and checks the box; nothing unchecks it and keeps the date shown.
  void SetDate(std::optional<QDate> date);

  // Null without DTS_SHOWNONE.
  QCheckBox* CheckBox() const { return checkBox_; }
  QDateEdit* DateEdit() const { return dateEdit_; }

 signals:
  void DateChanged();

 private:
  QCheckBox* checkBox_ = nullptr;
  QDateEdit* dateEdit_;
};

}  // namespace ui

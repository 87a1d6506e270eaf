#include "date_picker.h"

#include <QHBoxLayout>
#include <QSignalBlocker>

namespace ui {

DatePicker::DatePicker(bool mayBeNone, QWidget* parent)
    : QWidget(parent), dateEdit_(new QDateEdit(QDate::currentDate(), this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  if (mayBeNone) {
    checkBox_ = new QCheckBox(this);
    checkBox_->setAccessibleName(QStringLiteral("Set"));
    layout->addWidget(checkBox_);
    connect(checkBox_, &QCheckBox::toggled, this, &DatePicker::DateChanged);
  }
  dateEdit_->setCalendarPopup(true);
  dateEdit_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  layout->addWidget(dateEdit_, 1);
  connect(dateEdit_, &QDateEdit::dateChanged, this, [this] {
    if (checkBox_ != nullptr && !checkBox_->isChecked()) {
      // Checking it tells of the change.
      checkBox_->setChecked(true);
      return;
    }
    emit DateChanged();
  });
}

std::optional<QDate> DatePicker::Date() const {
  if (checkBox_ != nullptr && !checkBox_->isChecked()) {
    return std::nullopt;
  }
  return dateEdit_->date();
}

void DatePicker::SetDate(std::optional<QDate> date) {
  const std::optional<QDate> before = Date();
  {
    const QSignalBlocker quietDate(dateEdit_);
    if (date) {
      dateEdit_->setDate(*date);
    }
    if (checkBox_ != nullptr) {
      const QSignalBlocker quietBox(checkBox_);
      checkBox_->setChecked(date.has_value());
    }
  }
  if (Date() != before) {
    emit DateChanged();
  }
}

}  // namespace ui

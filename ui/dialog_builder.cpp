#include "dialog_builder.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

#include "date_picker.h"
#include "drop_down_list.h"
#include "qt_text.h"
#include "res/resource.h"

namespace ui {
namespace {

bool Has(std::uint32_t styles, std::uint32_t style) {
  return (styles & style) == style;
}

}  // namespace

DialogBuilder::DialogBuilder(QDialog& dialog, const res::DialogTemplate& dialogTemplate) {
  dialog.setObjectName(Text(dialogTemplate.identifier));
  dialog.setWindowTitle(Text(dialogTemplate.caption));
  QFont font(Text(dialogTemplate.fontFace));
  font.setPointSize(dialogTemplate.fontPoints);
  dialog.setFont(font);
  units_ = DialogBaseUnits(font);
  dialog.setFixedSize(DialogRectToPixels(dialogTemplate.rect, units_).size());

  QWidget* previousTabStop = nullptr;
  // A static text's mnemonic moves to the control after it, as in a Windows dialog.
  QLabel* labelWithMnemonic = nullptr;
  for (const res::ControlTemplate& control : dialogTemplate.controls) {
    QWidget* widget = Create(dialog, control);
    if (labelWithMnemonic != nullptr && control.kind != res::ControlKind::StaticText) {
      labelWithMnemonic->setBuddy(widget);
      labelWithMnemonic = nullptr;
    }
    if (control.kind == res::ControlKind::StaticText &&
        !Has(control.styles, res::style::SS_NOPREFIX) &&
        control.text.find('&') != control.text.npos) {
      labelWithMnemonic = qobject_cast<QLabel*>(widget);
    }
    widget->setObjectName(Text(control.identifier));
    widget->setAccessibleName(Text(control.accessibleName));
    widget->setVisible(Has(control.styles, res::style::WS_VISIBLE));
    if (Has(control.styles, res::style::WS_TABSTOP)) {
      widget->setFocusPolicy(Qt::StrongFocus);
      // A date picker is tabbed through part by part: its check box, then its date.
      QList<QWidget*> stops{widget};
      if (auto* picker = qobject_cast<DatePicker*>(widget)) {
        picker->setFocusPolicy(Qt::NoFocus);
        picker->DateEdit()->setAccessibleName(widget->accessibleName());
        stops = {picker->DateEdit()};
        if (picker->CheckBox() != nullptr) {
          stops.prepend(picker->CheckBox());
        }
      }
      for (QWidget* stop : stops) {
        if (previousTabStop != nullptr) {
          QWidget::setTabOrder(previousTabStop, stop);
        }
        previousTabStop = stop;
      }
    } else {
      widget->setFocusPolicy(Qt::NoFocus);
    }
    if (control.id != res::IDC_STATIC) {
      controls_.insert(control.id, widget);
    }
  }
}

QWidget* DialogBuilder::Create(QDialog& dialog, const res::ControlTemplate& control) const {
  const QRect rect = DialogRectToPixels(control.rect, units_);
  QWidget* widget = nullptr;
  switch (control.kind) {
    case res::ControlKind::PushButton: {
      auto* button = new QPushButton(Text(control.text), &dialog);
      const bool isDefault = Has(control.styles, res::style::BS_DEFPUSHBUTTON);
      button->setAutoDefault(isDefault);
      button->setDefault(isDefault);
      widget = button;
      break;
    }
    case res::ControlKind::ComboBox: {
      auto* combo = new DropDownList(&dialog);
      combo->setEditable(false);
      // The template's height is the height with the list dropped down.
      combo->setGeometry(rect.x(), rect.y(), rect.width(), combo->sizeHint().height());
      return combo;
    }
    case res::ControlKind::ListView: {
      auto* table = new QTableView(&dialog);
      table->setFrameShape(Has(control.styles, res::style::WS_BORDER) ? QFrame::Box
                                                                      : QFrame::NoFrame);
      widget = table;
      break;
    }
    case res::ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(&dialog);
      bar->setTextVisible(false);
      widget = bar;
      break;
    }
    case res::ControlKind::StaticText: {
      auto* label = new QLabel(Text(control.text), &dialog);
      label->setAlignment(
          (Has(control.styles, res::style::SS_RIGHT) ? Qt::AlignRight : Qt::AlignLeft) |
          Qt::AlignTop);
      label->setTextFormat(Qt::PlainText);
      widget = label;
      break;
    }
    case res::ControlKind::StaticIcon:
      widget = new QLabel(&dialog);
      break;
    case res::ControlKind::Edit:
      widget = new QLineEdit(&dialog);
      break;
    case res::ControlKind::DatePicker:
      widget = new DatePicker(Has(control.styles, res::style::DTS_SHOWNONE), &dialog);
      break;
  }
  widget->setGeometry(rect);
  return widget;
}

}  // namespace ui

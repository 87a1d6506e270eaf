// Builds a dialog's controls from its template: one widget per control, of the control's kind,
// with its text, identifier (as object name), accessible name, visibility, tab stop and
// rectangle converted from dialog units. Kind-specific set-up beyond the template (list
// columns, ranges, list entries) is the dialog's own.
#pragma once

#include <QDialog>
#include <QHash>

#include "dialog_units.h"
#include "res/dialog_template.h"

namespace ui {

class DialogBuilder {
 public:
  // Sets the dialog's caption, font and fixed client size, then creates its controls.
  DialogBuilder(QDialog& dialog, const res::DialogTemplate& dialogTemplate);

  // The control with the identifier, or null when the template has none (static controls
  // share IDC_STATIC and are found by object name instead).
  QWidget* Control(int id) const { return controls_.value(id); }
  // The control with the identifier as the widget its kind makes.
  template <typename Widget>
  Widget* Control(int id) const {
    auto* widget = qobject_cast<Widget*>(Control(id));
    Q_ASSERT(widget != nullptr);
    return widget;
  }

  BaseUnits Units() const { return units_; }

 private:
  QWidget* Create(QDialog& dialog, const res::ControlTemplate& control) const;

  BaseUnits units_;
  QHash<int, QWidget*> controls_;
};

}  // namespace ui

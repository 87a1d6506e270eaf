// The About box (IDD_ABOUTBOX): the icon, the program and its version, the copyright line and
// 确定, which closes it. Modal over the window that owns it.
#pragma once

#include <QDialog>

namespace ui {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* owner);
};

}  // namespace ui

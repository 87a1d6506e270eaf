#include "message_box.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace ui {

void ShowMessageBox(QWidget* owner, const QString& text) {
  QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                  owner);
  box.exec();
}

}  // namespace ui

#include "about_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "app_icon.h"
#include "dialog_builder.h"
#include "res/about_dialog.h"

namespace ui {

AboutDialog::AboutDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  const DialogBuilder builder(*this, res::kAboutDialog);
  if (auto* icon = findChild<QLabel*>(QStringLiteral("IDR_MAINFRAME"))) {
    // An icon control takes the size of its icon, whatever the template says.
    const QPixmap pixmap = MainFrameIcon().pixmap(32, 32);
    icon->setPixmap(pixmap);
    icon->resize(pixmap.deviceIndependentSize().toSize());
  }
  if (auto* ok = qobject_cast<QPushButton*>(builder.Control(res::IDOK))) {
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  }
}

}  // namespace ui

// A drop-down list that says when its list is about to open, so that its owner can fill it
// with what is there now.
#pragma once

#include <QComboBox>

namespace ui {

class DropDownList : public QComboBox {
  Q_OBJECT

 public:
  using QComboBox::QComboBox;

  void showPopup() override {
    emit AboutToOpen();
    QComboBox::showPopup();
  }

 signals:
  void AboutToOpen();
};

}  // namespace ui

// The program's message boxes: the system's text, one OK button, the program's name as the
// caption. Tests replace the presenter so that no box waits for a user.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace ui {

// Shows the message and returns once the user has acknowledged it.
using MessagePresenter = std::function<void(QWidget* owner, const QString& text)>;

void ShowMessageBox(QWidget* owner, const QString& text);

}  // namespace ui

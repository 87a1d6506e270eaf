// The program's icon (IDR_MAINFRAME): a data wand reading a button, 32 by 32 and 16 by 16.
#pragma once

#include <QIcon>

namespace ui {

QIcon MainFrameIcon();

}  // namespace ui

// The program's shared texts are UTF-8; Qt's are QString.
#pragma once

#include <QString>
#include <string_view>

namespace ui {

inline QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace ui

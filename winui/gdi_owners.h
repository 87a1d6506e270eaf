// Owners of the window's own GDI objects, icons and key tables: freed when they go out of scope.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace winui {

struct FontDeleter {
  void operator()(HFONT font) const { DeleteObject(font); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// For icons loaded without LR_SHARED, which their loader owns.
struct IconDestroyer {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

struct AcceleratorTableDestroyer {
  void operator()(HACCEL table) const { DestroyAcceleratorTable(table); }
};
using UniqueAcceleratorTable =
    std::unique_ptr<std::remove_pointer_t<HACCEL>, AcceleratorTableDestroyer>;

}  // namespace winui

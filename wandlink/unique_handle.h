// Owners of Win32 handles: closed with CloseHandle when they go out of scope.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace wandlink {

struct HandleCloser {
  void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};

using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// Takes ownership of a handle from a call that reports failure as INVALID_HANDLE_VALUE (such
// as CreateFileW); the owner is empty then.
inline UniqueHandle OwnFileHandle(HANDLE handle) {
  return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

}  // namespace wandlink

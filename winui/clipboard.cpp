#include "clipboard.h"

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <type_traits>

#include "wandlink/win32_text.h"

namespace winui {
namespace {

class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~OpenedClipboard() {
    if (open_) {
      CloseClipboard();
    }
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;

  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

struct GlobalFreer {
  void operator()(HGLOBAL memory) const { GlobalFree(memory); }
};
// Ours until the clipboard has taken it.
using GlobalMemory = std::unique_ptr<std::remove_pointer_t<HGLOBAL>, GlobalFreer>;

bool Failed(const char* step) {
  std::cerr << "Korvanta: the rows could not be copied: " << step << ": "
            << wandlink::SystemErrorText(GetLastError()) << '\n';
  return false;
}

}  // namespace

bool SetClipboardText(HWND owner, std::wstring_view text) {
  GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
  if (!memory) {
    return Failed("GlobalAlloc");
  }
  auto* target = static_cast<wchar_t*>(GlobalLock(memory.get()));
  if (target == nullptr) {
    return Failed("GlobalLock");
  }
  *std::copy(text.begin(), text.end(), target) = L'\0';
  GlobalUnlock(memory.get());

  const OpenedClipboard clipboard(owner);
  if (!clipboard.IsOpen()) {
    return Failed("OpenClipboard");
  }
  if (!EmptyClipboard()) {
    return Failed("EmptyClipboard");
  }
  if (SetClipboardData(CF_UNICODETEXT, memory.get()) == nullptr) {
    return Failed("SetClipboardData");
  }
  // The system owns the memory now.
  memory.release();
  return true;
}

}  // namespace winui

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

// Movable memory holding the characters and a terminating zero.
template <typename Char>
GlobalMemory CopyToGlobal(std::basic_string_view<Char> text) {
  GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(Char)));
  if (!memory) {
    Failed("GlobalAlloc");
    return memory;
  }
  auto* target = static_cast<Char*>(GlobalLock(memory.get()));
  if (target == nullptr) {
    Failed("GlobalLock");
    return nullptr;
  }
  *std::copy(text.begin(), text.end(), target) = Char{};
  GlobalUnlock(memory.get());
  return memory;
}

}  // namespace

bool SetClipboardText(HWND owner, std::wstring_view text, std::string_view html) {
  GlobalMemory memory = CopyToGlobal(text);
  if (!memory) {
    return false;
  }
  GlobalMemory htmlMemory;
  const UINT htmlFormat = html.empty() ? 0 : RegisterClipboardFormatW(L"HTML Format");
  if (htmlFormat != 0) {
    htmlMemory = CopyToGlobal(html);
    if (!htmlMemory) {
      return false;
    }
  }

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
  if (htmlMemory) {
    if (SetClipboardData(htmlFormat, htmlMemory.get()) == nullptr) {
      return Failed("SetClipboardData (HTML Format)");
    }
    htmlMemory.release();
  }
  return true;
}

}  // namespace winui

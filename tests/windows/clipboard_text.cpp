// The window test's view of the clipboard: prints its text (CF_UNICODETEXT) as UTF-8 on stdout,
// byte for byte. Exit status 1 when the clipboard holds no text.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "wandlink/win32_text.h"

int main() {
  if (!OpenClipboard(nullptr)) {
    std::fprintf(stderr, "clipboard_text: OpenClipboard failed (error %lu)\n", GetLastError());
    return 1;
  }
  std::string text;
  bool found = false;
  if (const HANDLE data = GetClipboardData(CF_UNICODETEXT); data != nullptr) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data)); wide != nullptr) {
      text = wandlink::Utf8(wide);
      found = true;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  _setmode(_fileno(stdout), _O_BINARY);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return found ? 0 : 1;
}

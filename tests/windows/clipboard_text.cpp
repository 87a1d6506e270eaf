// The window test's view of the clipboard: prints its text (CF_UNICODETEXT) as UTF-8 on stdout,
// byte for byte, or with --html its "HTML Format" as it is. Exit status 1 when the clipboard
// holds no such thing.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "wandlink/win32_text.h"

int main(int argc, char** argv) {
  const bool html = argc > 1 && std::string(argv[1]) == "--html";
  if (!OpenClipboard(nullptr)) {
    std::fprintf(stderr, "clipboard_text: OpenClipboard failed (error %lu)\n", GetLastError());
    return 1;
  }
  std::string text;
  bool found = false;
  const UINT format = html ? RegisterClipboardFormatW(L"HTML Format") : CF_UNICODETEXT;
  if (const HANDLE data = GetClipboardData(format); data != nullptr) {
    if (const void* contents = GlobalLock(data); contents != nullptr) {
      text = html ? std::string(static_cast<const char*>(contents))
                  : wandlink::Utf8(static_cast<const wchar_t*>(contents));
      found = true;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  _setmode(_fileno(stdout), _O_BINARY);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return found ? 0 : 1;
}

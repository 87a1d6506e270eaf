// Another program's message to a window: posts MESSAGE with WPARAM and LPARAM (numbers, 0x for
// hexadecimal) to the top-level window titled TITLE, as any program on the desktop may.
// Usage: post_message.exe TITLE MESSAGE WPARAM LPARAM. Exit status 1 when there is no such
// window or the post fails.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: post_message.exe TITLE MESSAGE WPARAM LPARAM\n");
    return 64;
  }
  const HWND window = FindWindowW(nullptr, argv[1]);
  if (window == nullptr) {
    std::fprintf(stderr, "post_message: no window of that title\n");
    return 1;
  }
  const auto message = static_cast<UINT>(std::stoul(argv[2], nullptr, 0));
  const auto wParam = static_cast<WPARAM>(std::stoull(argv[3], nullptr, 0));
  const auto lParam = static_cast<LPARAM>(std::stoll(argv[4], nullptr, 0));
  if (!PostMessageW(window, message, wParam, lParam)) {
    std::fprintf(stderr, "post_message: PostMessage failed (error %lu)\n", GetLastError());
    return 1;
  }
  return 0;
}

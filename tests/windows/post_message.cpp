// Another program's messages to a window: posts MESSAGE with WPARAM and LPARAM (numbers, 0x for
// hexadecimal) to the top-level window titled TITLE, as any program on the desktop may; each
// further triple is another message, posted in order.
// Usage: post_message.exe TITLE MESSAGE WPARAM LPARAM [MESSAGE WPARAM LPARAM]...
// Exit status 1 when there is no such window or a post fails.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc < 5 || (argc - 2) % 3 != 0) {
    std::fprintf(stderr, "usage: post_message.exe TITLE MESSAGE WPARAM LPARAM...\n");
    return 64;
  }
  const HWND window = FindWindowW(nullptr, argv[1]);
  if (window == nullptr) {
    std::fprintf(stderr, "post_message: no window of that title\n");
    return 1;
  }
  for (int next = 2; next < argc; next += 3) {
    const auto message = static_cast<UINT>(std::stoul(argv[next], nullptr, 0));
    const auto wParam = static_cast<WPARAM>(std::stoull(argv[next + 1], nullptr, 0));
    const auto lParam = static_cast<LPARAM>(std::stoll(argv[next + 2], nullptr, 0));
    if (!PostMessageW(window, message, wParam, lParam)) {
      std::fprintf(stderr, "post_message: PostMessage failed (error %lu)\n", GetLastError());
      return 1;
    }
  }
  return 0;
}

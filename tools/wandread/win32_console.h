// The collector's standard streams on Windows, for as long as it runs.
//
// stdout and stderr carry UTF-8 bytes exactly as written: no newline translation, so the tab
// output ends its lines with LF as on Linux and CSV keeps its CRLF. A console shows that UTF-8
// as text: its output code page is UTF-8 while the collector runs and is given back after.
// The live count needs a console on stderr that understands the line-clearing escape.
#pragma once

#include <windows.h>

#include <optional>

namespace wandread {

class Win32Console {
 public:
  Win32Console();
  ~Win32Console();
  Win32Console(const Win32Console&) = delete;
  Win32Console& operator=(const Win32Console&) = delete;

  bool ShowsProgress() const { return errorConsoleMode_.has_value(); }

 private:
  std::optional<UINT> outputCodePage_;
  // The mode stderr's console had before escapes were turned on.
  std::optional<DWORD> errorConsoleMode_;
};

}  // namespace wandread

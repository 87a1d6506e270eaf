#include "win32_console.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace wandread {
namespace {

bool IsConsole(DWORD standardHandle, DWORD& mode) {
  return ::GetConsoleMode(::GetStdHandle(standardHandle), &mode) != 0;
}

}  // namespace

Win32Console::Win32Console() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  DWORD outputMode = 0;
  DWORD errorMode = 0;
  const bool errorIsConsole = IsConsole(STD_ERROR_HANDLE, errorMode);
  if (IsConsole(STD_OUTPUT_HANDLE, outputMode) || errorIsConsole) {
    outputCodePage_ = ::GetConsoleOutputCP();
    ::SetConsoleOutputCP(CP_UTF8);
  }
  if (errorIsConsole && ::SetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE),
                                         errorMode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
    errorConsoleMode_ = errorMode;
  }
}

Win32Console::~Win32Console() {
  std::fflush(nullptr);
  if (errorConsoleMode_) {
    ::SetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), *errorConsoleMode_);
  }
  if (outputCodePage_) {
    ::SetConsoleOutputCP(*outputCodePage_);
  }
}

}  // namespace wandread

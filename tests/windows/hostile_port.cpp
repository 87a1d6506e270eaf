// "Another program" that leaves a COM port with every line setting that would spoil the wand's
// exchange: 7 data bits, even parity checked, NUL bytes discarded, an error character, abort
// on errors, XON/XOFF, CTS and DSR flow control, DSR sensitivity, DTR and RTS as handshake
// lines. Exit status 1 when the port cannot be opened or the driver keeps none of it (read
// back: XON/XOFF at least; a pseudo-terminal keeps no more than what termios can hold).
// Usage: hostile_port.exe COMn
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: hostile_port.exe COMn\n");
    return 64;
  }
  const std::wstring device = std::wstring(L"\\\\.\\") + argv[1];
  const HANDLE port = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "hostile_port: cannot open the port (error %lu)\n", GetLastError());
    return 1;
  }
  DCB settings{};
  settings.DCBlength = sizeof settings;
  GetCommState(port, &settings);
  settings.BaudRate = CBR_19200;
  settings.ByteSize = 7;
  settings.Parity = EVENPARITY;
  settings.fParity = TRUE;
  settings.fNull = TRUE;
  settings.fErrorChar = TRUE;
  settings.ErrorChar = '?';
  settings.fAbortOnError = TRUE;
  settings.fOutX = TRUE;
  settings.fInX = TRUE;
  settings.fOutxCtsFlow = TRUE;
  settings.fOutxDsrFlow = TRUE;
  settings.fDsrSensitivity = TRUE;
  settings.fDtrControl = DTR_CONTROL_HANDSHAKE;
  settings.fRtsControl = RTS_CONTROL_HANDSHAKE;
  const bool set = SetCommState(port, &settings) != FALSE;
  DCB kept{};
  kept.DCBlength = sizeof kept;
  GetCommState(port, &kept);
  CloseHandle(port);
  if (!set || !kept.fOutX || !kept.fInX) {
    std::fprintf(stderr, "hostile_port: the driver did not keep the settings\n");
    return 1;
  }
  return 0;
}

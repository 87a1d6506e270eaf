// serial: the serial line to the wand. The line per system (termios, Win32 comm and the
// wand's line in the driver's terms), the names a port goes by and their devices, the traced
// port, and opening the chosen port for a download. Uses the wand (wandlink) and nothing else
// of the project.
//
// The serial line to the wand: one class, SerialLink, with the same interface on each system
// (Open, Configure and the WandPort calls), built on the system's own serial API.
#pragma once

#if defined(_WIN32)
#include "serial_link_win32.h"
#else
#include "serial_link_posix.h"
#endif

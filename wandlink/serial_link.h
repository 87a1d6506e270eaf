// The serial line to the wand: one class, SerialLink, with the same interface on each system
// (Open, Configure and the WandPort calls), built on the system's own serial API.
#pragma once

#if defined(_WIN32)
#include "serial_link_win32.h"
#else
#include "serial_link_posix.h"
#endif

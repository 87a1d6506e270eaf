// The wand's line in the driver's own terms: the fields of a DCB.
//
// Every field the exchange depends on gets a value of ours, so that nothing another program
// left on the port carries over: a driver told to discard NUL bytes (fNull) would cut nearly
// every record short, one told to abort on errors (fAbortOnError) would fail every read after a
// single line error, and flow control, parity checking, an error character or modem lines held
// low would swallow or hold back bytes. Stop bits, the special characters and the rest stay as
// the port has them.
#pragma once

#include <windows.h>

namespace wandlink {

// 9600 baud, 8 data bits, no parity; binary, no parity checking, no flow control of any kind,
// no NUL stripping, no error character, no abort on errors; DTR and RTS on, as a freshly opened
// port has them (some cradles draw their power from them).
void SetWandLine(DCB& settings);

}  // namespace wandlink

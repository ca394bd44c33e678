// File names that Windows does not let a file have, whichever host the
// program runs on: a file made under such a name on Linux could not be opened
// on Windows, and on Windows the name would write to a device.
#pragma once

#include <string_view>

namespace morvane {

// Whether the UTF-8 file name (without folder) is a device name that Windows
// reserves (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-COM9, LPT1-LPT9, and
// COM or LPT with a superscript ¹ ² ³), in any letter case, alone or with an
// extension ("con.vbg", "Lpt1.txt.vbg"), spaces before the extension included.
bool isReservedDeviceName(std::string_view name);

// Whether the name ends in a dot or a space, which Windows silently drops.
bool endsInDotOrSpace(std::string_view name);

}  // namespace morvane

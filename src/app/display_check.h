// Whether the program can open a window here, and what to tell the user when
// it cannot: better a plain message than an abort inside Qt.
#pragma once

#include <string>

namespace morvane {

// True when a display is set (DISPLAY or WAYLAND_DISPLAY) or a Qt platform is
// chosen explicitly (QT_QPA_PLATFORM).
bool hasDisplay();

// The message for a machine without a display.
std::string noDisplayMessage();

}  // namespace morvane

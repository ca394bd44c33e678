#include "app/display_check.h"

#include <cstdlib>

namespace morvane {

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

bool hasDisplay() {
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM");
}

std::string noDisplayMessage() {
    return "Morvane opens a window, but this session has no display "
           "(neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
           "Start it on a virtual X display instead:\n"
           "    xvfb-run ./run\n"
           "(xvfb-run comes with the Debian packages xvfb and xauth), or run it from a "
           "desktop session.\n";
}

}  // namespace morvane

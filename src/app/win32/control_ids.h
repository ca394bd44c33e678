// The identifier of each of Form1's controls on Win32: 1000 plus its place
// in the stored description, so that automation and tests find a control by
// its name through the same table.
#pragma once

#include "app/form_description.h"

namespace morvane {

inline constexpr int kFirstControlId = 1000;

inline int controlId(const WindowDescription& window, const ControlDescription& control) {
    return kFirstControlId + static_cast<int>(&control - window.controls.data());
}

}  // namespace morvane

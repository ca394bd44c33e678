#pragma once

#include <string>

#include "platform/components.h"

namespace morvane {

// Whether the file named by `texto` contains `Buscar`, ignoring letter case.
// Reads the whole file through a new file-system object. No failure handling
// of its own: a failure is the failure of the calling step.
bool BuscaCadena(Components& components, const std::string& texto, const std::string& Buscar);

}  // namespace morvane

#pragma once

#include <cstddef>
#include <string>

#include "platform/components.h"

namespace morvane {

// The size of the pieces that BuscaCadena reads a file in: the one buffer a
// search holds, whatever the file's size.
inline constexpr std::size_t kSearchPieceSize = 128 * 1024;

// Whether the file named by `texto` contains `Buscar`, ignoring letter case.
// Reads the whole file, piece by piece, through a new file-system object. No
// failure handling of its own: a failure is the failure of the calling step.
bool BuscaCadena(Components& components, const std::string& texto, const std::string& Buscar);

}  // namespace morvane

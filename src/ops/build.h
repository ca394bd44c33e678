#pragma once

#include "engine/corrida.h"

namespace morvane {

// Starts "vb6 /m " and the project's path, and waits for that process with a
// spinner in the status line.
void GenerarEjecutable(Corrida& corrida);

}  // namespace morvane

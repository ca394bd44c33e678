// The walk over the project list: a subroutine of the batch run.
#pragma once

#include "engine/corrida.h"
#include "engine/steps.h"

namespace morvane {

// Visits the entries of List1 in list order and hands every marked entry to
// the chosen operation; the search handles every entry, marked or not, and
// sets its mark to whether its file holds the search text. The number of
// entries is taken once; marks, texts and the chosen operation are read when
// the walk reaches an entry.
Outcome RecorrerSeleccion(Corrida& corrida);

}  // namespace morvane

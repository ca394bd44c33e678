#pragma once

#include <string>

#include "engine/corrida.h"

namespace morvane {

// Replaces in place every occurrence of `Buscar` in the line `texto` by
// `Reemplazar`, ignoring letter case; all three are ansi (Windows-1252 bytes).
// After each replacement the next search starts at the second character of
// the text just inserted, so occurrences that the replacement forms are
// replaced in turn. The match position is a 16-bit counter: an occurrence
// beyond position 32767, or a next search that would start at 32768, throws
// the overflow failure (6), and `texto` then holds the replacements made so
// far. An empty `Buscar` leaves the line as it is.
void BuscarYReemplazar(std::string& texto, const std::string& Buscar,
                       const std::string& Reemplazar);

// Rewrites the project file at corrida.estado.RutaProyecto line by line
// through a temporary file (base name + ".NVO"), then deletes the previous
// backup (base name + ".old", any letter case), renames the project file to
// base name + ".OLD" and gives the temporary file the project's name. Each
// step goes to the run's failure handler on its own. The project file is
// replaced only by a temporary file that was written whole and closed
// cleanly. The status line shows the path and each replaced line.
void ReemplazarEnArchivo(Corrida& corrida);

}  // namespace morvane

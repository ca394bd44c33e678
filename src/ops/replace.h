#pragma once

#include <string>

#include "run/corrida.h"

namespace morvane {

// Replaces in place every occurrence of `Buscar` in the line `texto` by
// `Reemplazar`, ignoring letter case; all three are ansi (Windows-1252 bytes).
// Throws the overflow failure (6) when a
// match position would pass 32767.
void BuscarYReemplazar(std::string& texto, const std::string& Buscar,
                       const std::string& Reemplazar);

// Rewrites the project file at corrida.estado.RutaProyecto line by line
// through a temporary file and keeps its previous content as the backup.
void ReemplazarEnArchivo(Corrida& corrida);

}  // namespace morvane

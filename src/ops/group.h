#pragma once

#include "engine/corrida.h"

namespace morvane {

// Asks for the group file's name and opens it in the folder of Dir1; ends the
// run through the early exit when the name is left blank.
Outcome AbrirGrupo(Corrida& corrida);
// Writes the line of the project at corrida.estado.RutaProyecto.
void AgregarAlGrupo(Corrida& corrida);
// Closes the group file.
void CerrarGrupo(Corrida& corrida);

}  // namespace morvane

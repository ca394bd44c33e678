#include "ops/group.h"

namespace morvane {

// Placeholders until the group file is built.
Outcome AbrirGrupo(Corrida&) { throw Failure(err::kInternal); }
void AgregarAlGrupo(Corrida&) { throw Failure(err::kInternal); }
void CerrarGrupo(Corrida&) { throw Failure(err::kInternal); }

}  // namespace morvane

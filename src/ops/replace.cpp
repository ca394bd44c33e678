#include "ops/replace.h"

namespace morvane {

// Placeholders until the rewrite is built.
void BuscarYReemplazar(std::string&, const std::string&, const std::string&) { throw Failure(err::kInternal); }
void ReemplazarEnArchivo(Corrida&) { throw Failure(err::kInternal); }

}  // namespace morvane

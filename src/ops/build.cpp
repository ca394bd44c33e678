#include "ops/build.h"

namespace morvane {

// Placeholder until the builder is built.
void GenerarEjecutable(Corrida&) { throw Failure(err::kInternal); }

}  // namespace morvane

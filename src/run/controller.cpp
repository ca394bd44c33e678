#include "run/controller.h"

#include "platform/failure.h"

namespace morvane {

// Placeholder until the batch run is built.
void CmdOK_Click(Services&) { throw Failure(err::kInternal); }

}  // namespace morvane

// The batch run: the handler of the start/cancel button CmdOK.
#pragma once

#include "platform/services.h"

namespace morvane {

// One press of CmdOK: a whole batch run while the caption reads "&OK",
// otherwise the cancel, which ends the program.
void CmdOK_Click(Services& sv);

}  // namespace morvane

// The run's one failure handler.
#pragma once

#include "platform/failure.h"
#include "engine/corrida.h"
#include "engine/steps.h"

namespace morvane {

// Decides where the run goes on after a step failed. A missing file while the
// previous backup is being deleted is the usual case of a first rewrite and is
// passed over silently; every other failure is shown with Abort, Retry and
// Ignore: Retry runs the step again, Ignore and Abort go on with the step after
// it. No answer stops the run.
Resume ControlErrores(Corrida& corrida, const Failure& failure);

}  // namespace morvane

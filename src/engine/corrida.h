// One batch run: the services it reaches, its state and its failure handler.
// The operations are subroutines of the run and receive it whole.
#pragma once

#include "platform/services.h"
#include "engine/run_state.h"
#include "engine/steps.h"

namespace morvane {

struct Corrida {
    Services& sv;
    EstadoCorrida estado;
    FailureHandler onFailure;
};

}  // namespace morvane

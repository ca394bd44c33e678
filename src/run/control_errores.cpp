#include "run/control_errores.h"

#include <optional>

namespace morvane {

Resume ControlErrores(Corrida& corrida, const Failure& failure) {
    if (failure.number() == err::kFileNotFound && corrida.estado.BorrandoRespaldo) {
        return Resume::Next;
    }
    int respuesta;
    try {
        respuesta = corrida.sv.toolkit.msgBox(failure.description(),
                                              mb::kAbortRetryIgnoreCritical, std::nullopt);
    } catch (const Failure&) {
        // A failure box that cannot be shown cannot be answered: going on is
        // the only answer that can never keep the run in one step for good.
        return Resume::Next;
    }
    return respuesta == mb::kRetry ? Resume::Again : Resume::Next;
}

}  // namespace morvane

// The values that one batch run shares between the controller, the walk and
// the operations. A press of CmdOK creates them afresh (every value empty,
// zero or false) and the end of the run discards them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/processes.h"

namespace morvane {

struct EstadoCorrida {
    // The texts of TxtBuscar and TxtReemplazar without leading and trailing spaces.
    std::string CadenaBuscar;
    std::string CadenaReemplazo;
    // Full path of the entry being processed.
    std::string RutaProyecto;
    // Index of the entry being visited and the last index, taken once per walk.
    // Kept in 32 bits so that a list longer than 32,767 entries is walked whole.
    std::int32_t IndiceLista = 0;
    std::int32_t UltimoIndice = 0;
    // True only while the previous backup of a project file is being deleted.
    bool BorrandoRespaldo = false;

    // The group file being written.
    std::int16_t ArchivoGrupo = 0;
    bool PrimeraLinea = false;
    std::string CarpetaGrupo;
    std::string NombreGrupo;
    std::string LineaGrupo;

    // The project file being rewritten.
    int ArchivoEntrada = 0;
    int ArchivoSalida = 0;
    std::string NombreBase;
    std::string NombreTemporal;
    std::string LineaActual;  // ansi bytes of the current line

    // The build being waited for; the spinner carries over between projects.
    std::int16_t EstadoGiro = 0;
    std::string CaracterGiro;
    ProcessHandle hProceso = 0;
    std::uint32_t CodigoSalida = 0;
};

}  // namespace morvane

#include "engine/verifica_barra.h"

#include "platform/text.h"

namespace morvane {

std::string VerificaBarra(std::string& Ruta) {
    std::string ultimo = Ruta.empty() ? std::string() : Ruta.substr(Ruta.size() - 1);
    if (!textEquals(ultimo, "\\")) Ruta += "\\";
    return Ruta;
}

}  // namespace morvane

// The folder path with a trailing backslash: only a backslash counts, and the
// caller's variable ends up equal to the result.
#include "engine/verifica_barra.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvane {
namespace {

TEST(VerificaBarra, AppendsOneBackslashWhereThereIsNone) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"C:\\Proyectos", "C:\\Proyectos\\"},
        {"C:\\Proyectos\\", "C:\\Proyectos\\"},
        {"C:\\", "C:\\"},
        {"", "\\"},
        {"C:/Proyectos/", "C:/Proyectos/\\"},
        {"C:\\Año", "C:\\Año\\"},
        {"C:\\Proyectos\\\\", "C:\\Proyectos\\\\"},
    };
    for (const auto& [ruta, esperado] : cases) {
        std::string arg = ruta;
        EXPECT_EQ(VerificaBarra(arg), esperado) << ruta;
        EXPECT_EQ(arg, esperado) << ruta;
    }
}

}  // namespace
}  // namespace morvane

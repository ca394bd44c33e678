// Rewrites of real project files from the shared corpus, each copied to the
// temporary drive first: byte for byte as they were apart from their line
// ends when nothing matches, and with only the occurrences changed otherwise.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/text.h"
#include "reescritura_fixture.h"

namespace morvane::testing {
namespace {

std::vector<std::filesystem::path> proyectosDelCorpus() {
    std::vector<std::filesystem::path> vbp;
    const std::filesystem::path carpeta = corpusFolder();
    if (carpeta.empty()) return vbp;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(carpeta)) {
        if (entry.is_regular_file() && textEquals(entry.path().extension().string(), ".vbp"))
            vbp.push_back(entry.path());
    }
    std::sort(vbp.begin(), vbp.end());
    return vbp;
}

// Every occurrence of an ASCII word, in any letter case, in upper case.
std::string palabraEnMayusculas(std::string texto, const std::string& palabra) {
    const std::string mayus = ansiUpperCase(palabra);
    for (std::size_t p = findAnsiNoCase(texto, palabra); p != std::string::npos;
         p = findAnsiNoCase(texto, palabra, p + palabra.size())) {
        texto.replace(p, palabra.size(), mayus);
    }
    return texto;
}

class Corpus : public Reescritura {};

TEST_F(Corpus, SinCoincidenciasSoloCambianLosFinesDeLinea) {
    const auto proyectos = proyectosDelCorpus();
    if (proyectos.empty()) GTEST_SKIP() << "no corpus folder beside the repository";
    for (const auto& origen : proyectos) {
        SCOPED_TRACE(origen.string());
        const std::string antes = readBytes(origen);
        std::filesystem::remove_all(host("Corpus"));
        writeBytes(host("Corpus/Proyecto.vbp"), antes);

        reemplazar("C:\\Corpus\\Proyecto.vbp", "\x01 no aparece \x02", "x");

        EXPECT_EQ(readBytes(host("Corpus/Proyecto.vbp")), conFinesCRLF(antes));
        EXPECT_EQ(readBytes(host("Corpus/Proyecto.OLD")), antes);
    }
    EXPECT_TRUE(toolkit.boxes.empty());
}

TEST_F(Corpus, ConCoincidenciasSoloCambianEllas) {
    const auto proyectos = proyectosDelCorpus();
    if (proyectos.empty()) GTEST_SKIP() << "no corpus folder beside the repository";
    int conCambios = 0;
    for (const auto& origen : proyectos) {
        SCOPED_TRACE(origen.string());
        const std::string antes = readBytes(origen);
        std::filesystem::remove_all(host("Corpus"));
        // The file's own name, so that names of every kind are rewritten.
        const std::string nombre = origen.filename().string();
        writeBytes(host("Corpus/" + nombre), antes);

        reemplazar("C:\\Corpus\\" + nombre, "reference", "REFERENCE");

        const std::string despues = readBytes(host("Corpus/" + nombre));
        EXPECT_EQ(despues, palabraEnMayusculas(conFinesCRLF(antes), "reference"));
        if (despues != conFinesCRLF(antes)) ++conCambios;
    }
    EXPECT_GT(conCambios, 100);
    EXPECT_TRUE(toolkit.boxes.empty());
}

}  // namespace
}  // namespace morvane::testing

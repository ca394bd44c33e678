// Replacement within one line: the worked results, where each next search
// starts, letter case in the code page, and the 16-bit match position.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ops/replace.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace morvane {
namespace {

struct Caso {
    const char* nombre;
    std::string antes;
    std::string buscar;
    std::string reemplazo;
    std::string despues;
};

// Texts in the code page, written as UTF-8 for reading.
std::string a(const char* utf8) {
    return utf8ToAnsi(utf8);
}

class Resultados : public ::testing::TestWithParam<Caso> {};

TEST_P(Resultados, ReemplazaComoEnLaTabla) {
    const Caso& c = GetParam();
    std::string linea = c.antes;
    const std::string buscar = c.buscar;
    const std::string reemplazo = c.reemplazo;
    BuscarYReemplazar(linea, buscar, reemplazo);
    EXPECT_EQ(linea, c.despues);
    // The search and replacement texts are left as they were.
    EXPECT_EQ(buscar, c.buscar);
    EXPECT_EQ(reemplazo, c.reemplazo);
}

INSTANTIATE_TEST_SUITE_P(
    Linea, Resultados,
    ::testing::Values(
        Caso{"CaseOfTheLineIgnored", "Comun.dll#COMUN", "comun", "Base", "Base.dll#Base"},
        Caso{"TwoOccurrences", "abab", "ab", "x", "xx"},
        Caso{"EmptyReplacementLeavesAdjacentSecond", "abab", "ab", "", "ab"},
        Caso{"EmptyReplacementOverlapping", "aaaaa", "aa", "", "a"},
        Caso{"AdjacentOccurrences", "aaaa", "aa", "b", "bb"},
        Caso{"ReplacementContainingSearchAtItsEnd", "aa", "a", "ab", "abab"},
        Caso{"ReplacementEndFormsOccurrenceWithRest", "abb", "ab", "xa", "xxa"},
        Caso{"ReplacementCaseAsTyped", "aaa", "a", "A", "AAA"},
        Caso{"NoOccurrence", "x", "a", "b", "x"}, Caso{"EmptyLine", "", "a", "b", ""},
        // An occurrence at the replacement's first character is behind the
        // next search start; one only the replacement's end forms is not.
        Caso{"ReplacementStartingWithSearch", "xax", "a", "ab", "xabx"},
        Caso{"ReplacementStartingWithSearchAnyCase", "xAx", "a", "Ab", "xAbx"},
        Caso{"AdjacentOccurrencesOfThree", "abcabcabc", "ABC", "-", "---"},
        Caso{"ReplacementLongerThanLine", "k", "K", "largo", "largo"},
        Caso{"SearchLongerThanLine", "ab", "abc", "x", "ab"},
        Caso{"OccurrenceAtTheEnd", "xxab", "AB", "y", "xxy"},
        Caso{"EnyeLowerFindsCapital", a("AÑO año"), a("ño"), "nio", "Anio anio"},
        Caso{"AccentedCapitals", a("Canción CANCIÓN"), a("canción"), a("Ópera"), a("Ópera Ópera")},
        Caso{"ReplacementInsertedAsTypedInCodePage", "ano", "n", a("Ñ"), a("aÑo")},
        Caso{"LineFeedInsideTheLine", "a\nb\na", "A", "c", "c\nb\nc"},
        Caso{"SpacesAndTabsKept", " a\t", "a", "", " \t"}),
    [](const ::testing::TestParamInfo<Caso>& info) { return std::string(info.param.nombre); });

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

// Runs the replacement and returns the failure number, or 0 when none.
int falloAlReemplazar(std::string& linea, const std::string& buscar, const std::string& reemplazo) {
    try {
        BuscarYReemplazar(linea, buscar, reemplazo);
    } catch (const Failure& f) {
        return f.number();
    }
    return 0;
}

TEST(PosicionDeLaCoincidencia, ReemplazoDesbocadoParaEnDesbordamientoTras32767) {
    std::string linea = "a";
    EXPECT_EQ(falloAlReemplazar(linea, "a", "ba"), err::kOverflow);
    // Every replacement made before the failure stays in the line.
    EXPECT_EQ(linea, std::string(32767, 'b') + "a");

    // Running the step again goes on from the partly replaced line and fails again.
    EXPECT_EQ(falloAlReemplazar(linea, "a", "ba"), err::kOverflow);
    EXPECT_EQ(linea, std::string(32767, 'b') + "a");
}

TEST(PosicionDeLaCoincidencia, ReemplazoQueContieneLaBusquedaDesdeSuSegundaLetra) {
    // "ab" inside "xaby" makes a new occurrence with every pass.
    std::string linea = "ab";
    EXPECT_EQ(falloAlReemplazar(linea, "ab", "xaby"), err::kOverflow);
    // 32767 passes, each leaving one x in front and one y behind.
    EXPECT_EQ(linea, std::string(32767, 'x') + "ab" + std::string(32767, 'y'));
}

TEST(PosicionDeLaCoincidencia, LineaLargaConCoincidenciaAlPrincipio) {
    std::string linea = "Name=Viejo" + std::string(40000, 'z');
    EXPECT_EQ(falloAlReemplazar(linea, "viejo", "Nuevo"), 0);
    EXPECT_EQ(linea, "Name=Nuevo" + std::string(40000, 'z'));
}

TEST(PosicionDeLaCoincidencia, LimitesDeLaPosicion) {
    struct Fila {
        std::size_t relleno;  // characters before the occurrence
        int fallo;
        bool reemplazada;
    };
    // Position 32767 is the last one a 16-bit counter holds, but after a
    // replacement there the next search would start at 32768.
    const std::vector<Fila> filas = {
        {32765, 0, true},                // at 32766
        {32766, err::kOverflow, true},   // at 32767: replaced, then the overflow
        {32767, err::kOverflow, false},  // at 32768: found beyond the counter
        {50000, err::kOverflow, false},
    };
    for (const Fila& f : filas) {
        SCOPED_TRACE(f.relleno);
        const std::string relleno(f.relleno, '.');
        std::string linea = relleno + "AB" + "..";
        EXPECT_EQ(falloAlReemplazar(linea, "ab", "Z"), f.fallo);
        EXPECT_EQ(linea, relleno + (f.reemplazada ? "Z" : "AB") + "..");
    }
}

TEST(PosicionDeLaCoincidencia, SegundaCoincidenciaMasAllaDelLimite) {
    // The first occurrence is replaced; the second, beyond the counter's
    // range, fails, and the line keeps the first replacement.
    std::string linea = "ab" + std::string(40000, '.') + "ab";
    EXPECT_EQ(falloAlReemplazar(linea, "ab", "c"), err::kOverflow);
    EXPECT_EQ(linea, "c" + std::string(40000, '.') + "ab");
}

TEST(BusquedaVacia, DejaLaLineaComoEsta) {
    for (const std::string original : {"", "a", "texto con espacios"}) {
        std::string linea = original;
        EXPECT_EQ(falloAlReemplazar(linea, "", "x"), 0);
        EXPECT_EQ(linea, original);
    }
}

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

// The replacement told step by step, rebuilding the line at every pass: the
// oracle for the replacement, which avoids copying the rest of the line.
// Sets `desborde` where a match position leaves the 16-bit range.
std::string literal(std::string linea, const std::string& buscar, const std::string& reemplazo,
                    bool& desborde) {
    desborde = false;
    std::size_t p = findAnsiNoCase(linea, buscar);
    while (p != std::string::npos) {
        if (p + 1 > 32767) {
            desborde = true;
            break;
        }
        linea.replace(p, buscar.size(), reemplazo);
        if (p + 2 > 32767) {
            desborde = true;
            break;
        }
        p = findAnsiNoCase(linea, buscar, p + 1);
    }
    return linea;
}

std::string literal(const std::string& linea, const std::string& buscar,
                    const std::string& reemplazo) {
    bool desborde;
    return literal(linea, buscar, reemplazo, desborde);
}

TEST(BuscarYReemplazar, ReemplazosQueCrecenConCadaPasada) {
    // Text left behind the search start piles up with every pass until the
    // overflow; the line then holds every pass made.
    struct Fila {
        std::string linea, buscar, reemplazo;
    };
    const std::vector<Fila> filas = {
        {"Form1", "Form", "MyFormX"},
        {"x=FORM", "form", "aFormYZ"},
        {"ab", "AB", "Xab"},
        {"xx" + std::string(32700, '.') + "a", "a",
         "\xF1"
         "Aa"},
    };
    for (const Fila& f : filas) {
        SCOPED_TRACE(f.reemplazo);
        bool desborde = false;
        const std::string esperada = literal(f.linea, f.buscar, f.reemplazo, desborde);
        ASSERT_TRUE(desborde);
        std::string linea = f.linea;
        EXPECT_EQ(falloAlReemplazar(linea, f.buscar, f.reemplazo), err::kOverflow);
        EXPECT_EQ(linea, esperada);
    }
}

TEST(BuscarYReemplazar, CoincideConElReemplazoPasoAPaso) {
    // Small texts over few letters in both cases give many adjacent,
    // overlapping and newly formed occurrences.
    unsigned semilla = 12345;
    auto azar = [&](unsigned tope) {
        semilla = semilla * 1103515245u + 12345u;
        return (semilla >> 16) % tope;
    };
    auto texto = [&](unsigned largoMaximo) {
        static const char letras[] = {'a', 'b', 'A', 'B', 'x', '\xF1', '\xD1'};
        std::string s(azar(largoMaximo + 1), ' ');
        for (char& c : s) c = letras[azar(7)];
        return s;
    };
    int comparados = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string linea = texto(12);
        const std::string buscar = texto(3);
        const std::string reemplazo = texto(6);
        if (buscar.empty()) continue;
        // A replacement holding the search text past its first character runs
        // away; that case has tests of its own.
        if (findAnsiNoCase(reemplazo, buscar, 1) != std::string::npos) continue;
        std::string real = linea;
        BuscarYReemplazar(real, buscar, reemplazo);
        ASSERT_EQ(real, literal(linea, buscar, reemplazo))
            << "linea=" << linea << " buscar=" << buscar << " reemplazo=" << reemplazo;
        ++comparados;
    }
    EXPECT_GT(comparados, 5000);
}

}  // namespace
}  // namespace morvane

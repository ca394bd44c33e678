// BuscaCadena over real files: whether a file holds a text, ignoring letter
// case by the code page, wherever the text lies against the borders of the
// pieces the file is read in; an empty text in empty and non-empty files;
// failures passed out unaltered; a new file-system object per call, released
// with its stream on every way out; the file read to its end and never changed.
#include "ops/search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/host_components.h"
#include "platform/text.h"
#include "support/temp_drive.h"
#include "watched_components.h"

namespace morvane {
namespace {

using testing::TempDrive;
using testing::writeBytes;

using testing::Watch;
using testing::WatchedComponents;

struct SearchFixture {
    TempDrive drive;
    HostComponents host{drive.drives()};
    WatchedComponents components{host};

    std::string write(const std::string& name, std::string_view bytes) {
        writeBytes(drive.host("Proyectos/" + name), bytes);
        return "C:\\Proyectos\\" + name;
    }
};

struct Case {
    const char* name;
    std::string content;  // ansi bytes on disk
    std::string buscar;   // as the run passes it (UTF-8)
    bool found;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class Search : public ::testing::TestWithParam<Case> {};

TEST_P(Search, AnswersWhetherTheFileHoldsTheText) {
    const Case& c = GetParam();
    SearchFixture f;
    const std::string path = f.write("Ventas.vbp", c.content);
    EXPECT_EQ(BuscaCadena(f.components, path, c.buscar), c.found);
    EXPECT_EQ(testing::readBytes(f.drive.host("Proyectos/Ventas.vbp")), c.content);
}

const std::string kMega(1 << 20, 'q');

INSTANTIATE_TEST_SUITE_P(
    BuscaCadena, Search,
    ::testing::Values(Case{"SameCase", "Name=\"Ventas\"\r\n", "Ventas", true},
                      Case{"UpperInFile", "Name=\"COMUN\"\r\n", "comun", true},
                      Case{"MixedInFile", "Name=\"Comun\"\r\n", "COMUN", true},
                      Case{"Missing", "Name=\"Compras\"\r\n", "Ventas", false},
                      Case{"AtTheVeryStart", "Ventas y mas", "VENTAS", true},
                      Case{"AtTheVeryEnd", kMega + "Ventas", "ventas", true},
                      Case{"OnlyAPrefixAtTheEnd", kMega + "Venta", "ventas", false},
                      Case{"LongTextNotThere", kMega, std::string(5000, 'Q') + "r", false},
                      Case{"LongTextThere", kMega + "R", std::string(5000, 'Q') + "r", true},
                      Case{"LongTextWithCodePageLetters",
                           kMega + "Name=\"Compa\xF1\xCD"
                                   "a de VENTAS del a\xD1o\"",
                           "COMPAÑÍA DE VENTAS DEL AÑO", true},
                      Case{"LongTextWithOneAccentOff", kMega + "Compa\xF1ia de Ventas del A\xF1o",
                           "COMPAÑÍA DE VENTAS DEL AÑO", false},
                      Case{"LongTextAtTheVeryStart", "\xFFstartup=\"sub main\"" + kMega,
                           "ŸSTARTUP=\"SUB MAIN\"", true},
                      Case{"TextLongerThanTheFile", "Vent", "Ventas", false},
                      Case{"TheWholeFile", "ventas", "VENTAS", true},
                      // Line ends mean nothing to the search.
                      Case{"AcrossALineEnd", "Ventas\r\nCompras", "S\r\nc", true},
                      Case{"SplitByALineEnd", "Ven\r\ntas", "ventas", false},
                      Case{"NulBytesInTheFile", std::string("a\0b\0Ventas", 10), "VENTAS", true},
                      // Letters of the code page pair up too.
                      Case{"EnyeUpperInFile", "A\xD1O", "año", true},
                      Case{"EnyeLowerInFile", "a\xF1o", "AÑO", true},
                      Case{"AccentsAreLetters", "canci\xF3n", "CANCIÓN", true},
                      Case{"AccentsDiffer", "cancion", "canción", false},
                      Case{"CaronAndLigature", "\x8A\x8C\x9F", "šœÿ", true},
                      Case{"DivisionSignHasNoCase", "\xD7", "÷", false},
                      Case{"OutsideTheCodePage", "ventas", "ventas\u4E00", false},
                      // An empty text is found in any content that is not empty.
                      Case{"EmptyTextInEmptyFile", "", "", false},
                      Case{"EmptyTextInOneByte", "\n", "", true},
                      Case{"EmptyTextInAFile", "Type=Exe\r\n", "", true},
                      Case{"TextInEmptyFile", "", "a", false}),
    [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

// Content of `size` bytes made of `pattern` over and over.
std::string filler(const std::string& pattern, std::size_t size) {
    std::string out;
    while (out.size() < size) out += pattern;
    out.resize(size);
    return out;
}

// A text placed across the borders between the pieces the search reads: its
// first byte the first of a piece, its last byte the last of a piece, and
// every split between, at the first border and at the second. Beside it the
// same text one byte off, which must never be found.
struct BorderCase {
    const char* name;
    std::string buscar;   // as the run passes it (UTF-8)
    std::string inFile;   // the text as the file holds it (ansi, another letter case)
    std::string oneOff;   // the same with one byte changed
    std::string pattern;  // what the rest of the file is made of
};

void PrintTo(const BorderCase& c, std::ostream* os) {
    *os << c.name;
}

class AcrossPieces : public ::testing::TestWithParam<BorderCase> {};

TEST_P(AcrossPieces, FindsTheTextWhereverTheBorderFalls) {
    const BorderCase& c = GetParam();
    SearchFixture f;
    const std::size_t n = c.inFile.size();
    ASSERT_EQ(c.oneOff.size(), n);
    for (const std::size_t border : {kSearchPieceSize, 2 * kSearchPieceSize}) {
        // k bytes of the text before the border: 0 puts its first byte first
        // in a piece, n puts its last byte last in one.
        for (std::size_t k = 0; k <= n; ++k) {
            SCOPED_TRACE(::testing::Message()
                         << "border " << border << ", " << k << " bytes of the text before it");
            const std::size_t start = border - k;
            const std::string before = filler(c.pattern, start);
            const std::string after = filler(c.pattern, 3 * kSearchPieceSize - start - n);
            const std::string path = f.write("Borde.vbp", before + c.inFile + after);
            EXPECT_TRUE(BuscaCadena(f.components, path, c.buscar));
            f.write("Borde.vbp", before + c.oneOff + after);
            EXPECT_FALSE(BuscaCadena(f.components, path, c.buscar));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    BuscaCadena, AcrossPieces,
    ::testing::Values(BorderCase{"Plain", "Ventas", "VENTAS", "VENTAZ", "v"},
                      BorderCase{"OneCharacter", "q", "Q", "x", "x"},
                      BorderCase{"EnyeLowerInFile", "AÑO", "a\xF1o",
                                 "a\xF1"
                                 "a",
                                 "a"},
                      BorderCase{"EnyeUpperInFile", "año", "A\xD1O",
                                 "A\xD1"
                                 "A",
                                 "a"},
                      BorderCase{"AccentedLetters", "CANCIÓN ÉXITO", "canci\xF3n \xE9xito",
                                 "canci\xF3n \xE9xita", " "},
                      BorderCase{"CaronLigatureAndY", "šœžÿ", "\x8A\x8C\x8E\x9F",
                                 "\x8A\x8C\x8E\xFE", "x"},
                      BorderCase{"LineEndInside", "s\r\nNAME", "S\r\nname", "S\r\nnamf", " \r\n"},
                      BorderCase{"PeriodicText", "ABABAC", "ababac", "ababab", "ab"}),
    [](const ::testing::TestParamInfo<BorderCase>& i) { return std::string(i.param.name); });

// A search text longer than a piece, over three pieces: found, and not found
// when one byte is off at its start, on either side of a border or at its end.
TEST(BuscaCadena, FindsATextLongerThanAPiece) {
    SearchFixture f;
    const std::string texto = filler(
        "Compa\xF1\xED"
        "a de Ventas del A\xF1o; ",
        kSearchPieceSize + kSearchPieceSize / 2 + 5000);
    const std::string buscar = ansiToUtf8(ansiUpperCase(texto));
    const std::size_t start = kSearchPieceSize / 2;
    const std::string before = filler("x", start), after = filler("x", kSearchPieceSize);
    const std::string path = f.write("Largo.vbp", before + texto + after);
    EXPECT_TRUE(BuscaCadena(f.components, path, buscar));
    for (const std::size_t off : {std::size_t{0}, kSearchPieceSize - start,
                                  2 * kSearchPieceSize - start - 1, texto.size() - 1}) {
        ASSERT_LT(off, texto.size());
        SCOPED_TRACE(::testing::Message() << "byte " << off << " off");
        std::string changed = texto;
        changed[off] = '#';
        f.write("Largo.vbp", before + changed + after);
        EXPECT_FALSE(BuscaCadena(f.components, path, buscar));
    }
}

// The text is found in the first piece, and the file is still read to its
// end: only then is the answer known to stand.
TEST(BuscaCadena, ReadsTheWholeFileAfterAnEarlyFind) {
    SearchFixture f;
    const std::string path = f.write("A.vbp", "Ventas" + filler("x", 3 * kSearchPieceSize - 6));
    EXPECT_TRUE(BuscaCadena(f.components, path, "VENTAS"));
    EXPECT_EQ(f.components.watch.pieces, 3);
    EXPECT_TRUE(f.components.watch.sawTheEnd);
    EXPECT_EQ(f.components.watch.closes, 1);
}

// The letter case of the code page, written out on its own for the check.
unsigned char foldForCheck(unsigned char b) {
    if (b >= 'a' && b <= 'z') return b - 0x20;
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return b - 0x20;
    switch (b) {
        case 0x9A:
            return 0x8A;
        case 0x9C:
            return 0x8C;
        case 0x9E:
            return 0x8E;
        case 0xFF:
            return 0x9F;
        default:
            return b;
    }
}

bool holdsForCheck(const std::string& content, const std::string& ansiText) {
    if (ansiText.empty()) return !content.empty();
    return std::search(content.begin(), content.end(), ansiText.begin(), ansiText.end(),
                       [](char a, char b) {
                           return foldForCheck(static_cast<unsigned char>(a)) ==
                                  foldForCheck(static_cast<unsigned char>(b));
                       }) != content.end();
}

// Random contents over a few letters in both cases, searched for texts cut
// out of them (with their letter case changed here and there) and for texts
// made up, short and long, against a plain search written out here.
TEST(BuscaCadena, AgreesWithAPlainSearchOnRandomContents) {
    SearchFixture f;
    std::mt19937 rng(20261210);
    const std::string letters = "aAqQ\xF1\xD1\xFF\x9F\x9A\x8A\r\n ";
    const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n)(rng);
    };
    int found = 0, notFound = 0;
    for (int round = 0; round < 150; ++round) {
        std::string content(pick(2000), ' ');
        for (char& c : content) c = letters[pick(letters.size() - 1)];
        const std::string path = f.write("R.vbp", content);
        for (int k = 0; k < 12; ++k) {
            std::string text;
            if (k % 2 == 0 && !content.empty()) {
                const std::size_t from = pick(content.size() - 1);
                text = content.substr(from, pick(40));
                for (char& c : text) {
                    if (pick(3) == 0)
                        c = static_cast<char>(foldForCheck(static_cast<unsigned char>(c)));
                }
            } else {
                text.resize(pick(40));
                for (char& c : text) c = letters[pick(letters.size() - 1)];
            }
            const bool expected = holdsForCheck(content, text);
            ASSERT_EQ(BuscaCadena(f.components, path, ansiToUtf8(text)), expected)
                << "round " << round << " text of " << text.size() << " bytes";
            expected ? ++found : ++notFound;
        }
    }
    EXPECT_GT(found, 100);
    EXPECT_GT(notFound, 100);
}

TEST(BuscaCadena, MakesOneObjectPerCallAndReleasesItWithItsStream) {
    SearchFixture f;
    const std::string a = f.write("A.vbp", "Ventas");
    const std::string b = f.write("B.vbp", "");
    for (int i = 0; i < 3; ++i) {
        BuscaCadena(f.components, a, "ventas");
        BuscaCadena(f.components, b, "");
    }
    const Watch& w = f.components.watch;
    EXPECT_EQ(w.objects, 6);
    EXPECT_EQ(w.streams, 6);
    EXPECT_EQ(w.closes, 6);
    EXPECT_EQ(w.liveObjects, 0);
    EXPECT_EQ(w.liveStreams, 0);
    // Opened for reading, under the name the entry gives.
    ASSERT_EQ(w.opens.size(), 6u);
    EXPECT_EQ(w.opens[0], std::make_pair(a, 1));
    EXPECT_EQ(w.opens[1], std::make_pair(b, 1));
}

TEST(BuscaCadena, PassesFailuresOutUnalteredAndReleasesEverything) {
    SearchFixture f;
    const std::string present = f.write("A.vbp", "Ventas");
    std::filesystem::create_directories(f.drive.host("Proyectos/Carpeta.vbp"));

    // The failure the component itself gives when it opens the file.
    const auto openFailure = [&](const std::string& path) {
        try {
            f.host.createFileSystemObject()->OpenTextFile(path, iomode::kForReading);
        } catch (const Failure& failure) {
            return failure;
        }
        return Failure(0, "opened");
    };
    struct FailCase {
        std::string path;
        bool readFails;
        int streams;  // how many streams were opened
    };
    const std::vector<FailCase> cases = {
        {"C:\\Proyectos\\Borrado.vbp", false, 0},
        {"C:\\NoHay\\Ventas.vbp", false, 0},
        {"C:\\Proyectos\\Carpeta.vbp", false, 0},
        {present, true, 1},
    };
    EXPECT_EQ(openFailure(cases[0].path).number(), err::kFileNotFound);
    for (const FailCase& c : cases) {
        SCOPED_TRACE(c.path);
        const Failure expected =
            c.readFails ? Failure(err::kDeviceIo, "leído a medias") : openFailure(c.path);
        ASSERT_NE(expected.number(), 0);
        f.components.watch = Watch{};
        if (c.readFails) f.components.watch.readFailure = expected;
        try {
            BuscaCadena(f.components, c.path, "ventas");
            ADD_FAILURE() << "no failure";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.number(), expected.number());
            EXPECT_EQ(failure.description(), expected.description());
        }
        const Watch& w = f.components.watch;
        EXPECT_EQ(w.objects, 1);
        EXPECT_EQ(w.liveObjects, 0);
        EXPECT_EQ(w.streams, c.streams);
        EXPECT_EQ(w.liveStreams, 0);
        // A stream whose read failed is released without the Close call.
        EXPECT_EQ(w.closes, 0);
    }
}

TEST(BuscaCadena, SearchingNeverChangesTheFile) {
    SearchFixture f;
    const std::string path = f.write("A.vbp", "Type=Exe\r\nName=\"Ventas\"\r\n");
    const auto host = f.drive.host("Proyectos/A.vbp");
    std::filesystem::last_write_time(
        host, std::filesystem::file_time_type::clock::now() - std::chrono::hours(24));
    const auto before = std::filesystem::last_write_time(host);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(BuscaCadena(f.components, path, "VENTAS"));
        EXPECT_FALSE(BuscaCadena(f.components, path, "COMPRAS"));
    }
    EXPECT_EQ(std::filesystem::last_write_time(host), before);
    EXPECT_EQ(testing::readBytes(host), "Type=Exe\r\nName=\"Ventas\"\r\n");
    // Nothing was created beside it.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(host.parent_path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace morvane

// Windows-1252 conversion, its letter case, and the case-blind comparisons,
// over whole texts and over content handed over piece by piece.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "case_names.h"
#include "platform/failure.h"

namespace morvane {
namespace {

std::string allBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    return bytes;
}

TEST(AnsiText, EveryByteValueRoundTripsThroughUtf8) {
    const std::string bytes = allBytes();
    const std::string utf8 = ansiToUtf8(bytes);
    EXPECT_TRUE(fitsAnsi(utf8));
    EXPECT_EQ(utf8ToAnsi(utf8), bytes);
    // Each byte alone as well, so no byte depends on its neighbours.
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(utf8ToAnsi(ansiToUtf8(one)), one) << "byte " << b;
    }
}

struct Decoding {
    unsigned char byte;
    const char* utf8;
};

// Names the case in test listings and failure messages.
void PrintTo(const Decoding& c, std::ostream* out) {
    std::ostringstream text;
    text << "byte " << static_cast<int>(c.byte);
    *out << testing::caseName(text.str());
}

class AnsiDecoding : public ::testing::TestWithParam<Decoding> {};

TEST_P(AnsiDecoding, ByteBecomesItsCharacter) {
    const Decoding& c = GetParam();
    EXPECT_EQ(ansiToUtf8(std::string(1, static_cast<char>(c.byte))), c.utf8);
    EXPECT_EQ(utf8ToAnsi(c.utf8), std::string(1, static_cast<char>(c.byte)));
}

INSTANTIATE_TEST_SUITE_P(
    CodePage, AnsiDecoding,
    ::testing::Values(Decoding{'A', "A"}, Decoding{0x80, "\u20AC"},  // euro sign
                      Decoding{0x81, "\xC2\x81"},                    // unassigned: kept as U+0081
                      Decoding{0x8D, "\xC2\x8D"}, Decoding{0x8F, "\xC2\x8F"},
                      Decoding{0x90, "\xC2\x90"}, Decoding{0x9D, "\xC2\x9D"},
                      Decoding{0x8A, "\u0160"}, Decoding{0x9F, "\u0178"}, Decoding{0xA0, "\u00A0"},
                      Decoding{0xE9, "\u00E9"}, Decoding{0xF1, "\u00F1"},
                      Decoding{0xFF, "\u00FF"}));

TEST(AnsiText, TextOutsideTheCodePageIsRefused) {
    for (const char* text : {"日本", "a\u2160", "\xC3", "\xC3\x28", "\xED\xA0\x80", "\xC0\x80"}) {
        EXPECT_FALSE(fitsAnsi(text)) << text;
        try {
            utf8ToAnsi(text);
            ADD_FAILURE() << "converted " << text;
        } catch (const Failure& f) {
            EXPECT_EQ(f.number(), err::kCannotConvert);
            EXPECT_FALSE(f.description().empty());
        }
    }
}

// The upper case of every byte: a-z, à-þ except ÷, and š œ ž ÿ; all else
// stays as it is.
TEST(AnsiText, UpperCaseOfEveryByte) {
    for (int b = 0; b < 256; ++b) {
        int expected = b;
        if (b >= 'a' && b <= 'z') expected = b - 0x20;
        if (b >= 0xE0 && b <= 0xFE && b != 0xF7) expected = b - 0x20;
        if (b == 0x9A) expected = 0x8A;  // š
        if (b == 0x9C) expected = 0x8C;  // œ
        if (b == 0x9E) expected = 0x8E;  // ž
        if (b == 0xFF) expected = 0x9F;  // ÿ
        EXPECT_EQ(ansiUpper(static_cast<unsigned char>(b)), expected) << "byte " << b;
    }
    EXPECT_EQ(ansiUpperCase("a\xF1o \xF7 \xDF\xB5"), "A\xD1O \xF7 \xDF\xB5");
}

struct Equality {
    const char* a;
    const char* b;
    bool equal;
};

// Names the case in test listings and failure messages.
void PrintTo(const Equality& c, std::ostream* out) {
    std::ostringstream text;
    text << c.a << " / " << c.b << " (" << std::strlen(c.a) << ", " << std::strlen(c.b)
         << " bytes)";
    *out << testing::caseName(text.str());
}

class TextEquality : public ::testing::TestWithParam<Equality> {};

TEST_P(TextEquality, ComparesByTheCodePagesCasePairs) {
    const Equality& c = GetParam();
    EXPECT_EQ(textEquals(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(textEquals(c.b, c.a), c.equal) << c.b << " / " << c.a;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextEquality,
    ::testing::Values(Equality{"", "", true}, Equality{"Ventas.vbp", "VENTAS.VBP", true},
                      Equality{"ñandú", "ÑANDÚ", true}, Equality{"šœžÿ", "ŠŒŽŸ", true},
                      Equality{"÷", "×", false}, Equality{"ß", "SS", false},
                      Equality{"日本語", "日本語", true}, Equality{"\u2170", "\u2160", false},
                      Equality{"a", "ab", false}, Equality{"ab", "a", false},
                      Equality{"", " ", false}, Equality{"\xFF", "\xFF", true},
                      Equality{"\xFF", "\xFE", false}));

struct Search {
    std::string haystack;
    std::string needle;
    std::size_t from;
    std::size_t expected;
};

// Names the case in test listings and failure messages.
void PrintTo(const Search& c, std::ostream* out) {
    std::ostringstream text;
    text << "needle of " << c.needle.size() << " bytes in " << c.haystack.size() << " from "
         << c.from;
    *out << testing::caseName(text.str());
}

class AnsiSearch : public ::testing::TestWithParam<Search> {};

TEST_P(AnsiSearch, FindsWithoutRegardToCase) {
    const Search& c = GetParam();
    EXPECT_EQ(findAnsiNoCase(c.haystack, c.needle, c.from), c.expected);
}

constexpr auto npos = std::string_view::npos;
const std::string kLong = std::string(100, 'x') + "Versi\xF3n=1" + std::string(40, 'y');

INSTANTIATE_TEST_SUITE_P(
    Cases, AnsiSearch,
    ::testing::Values(
        Search{"Form=Form1.frm", "form1", 0, 5}, Search{"Form=Form1.frm", "FORM", 1, 5},
        Search{"Form=Form1.frm", "x", 0, npos}, Search{"abc", "", 0, 0}, Search{"abc", "", 2, 2},
        Search{"abc", "", 3, npos}, Search{"", "", 0, npos}, Search{"abc", "a", 4, npos},
        Search{"abc", "abcd", 0, npos}, Search{"ab", "B", 0, 1},
        Search{"Compañía", "COMPAÑÍA", 0, npos},  // UTF-8 is not the file's code page
        Search{"Compa\xF1\xED"
               "a",
               "COMPA\xD1\xCD"
               "A",
               0, 0},
        Search{"x\xF7y", "X\xD7Y", 0, npos}, Search{"\xFF\x9A\x9C\x9E", "\x9F\x8A\x8C\x8E", 0, 0},
        // Matches at the very end and across the 16-byte blocks of the fast scan.
        Search{std::string(31, '-') + "Ab", "aB", 0, 31},
        Search{std::string(15, '-') + "xY", "XY", 0, 15},
        Search{std::string(16, '-') + "Q", "q", 3, 16}, Search{kLong, "VERSI\xD3N=1", 0, 100},
        Search{kLong + kLong, kLong.substr(20, 100), 1, 20},  // a needle longer than 64 bytes
        Search{kLong + kLong, kLong.substr(20, 100), 21, kLong.size() + 20}));

// Random texts over letters with two spellings, against the plain search of
// two upper-cased copies.
TEST(AnsiText, SearchAgreesWithSearchingUpperCasedCopies) {
    std::mt19937 random(12345);
    const std::string alphabet = "aAbB\xF1\xD1\xF7\xD7 \r\n";
    const auto text = [&](std::size_t size) {
        std::string s;
        for (std::size_t i = 0; i < size; ++i) s.push_back(alphabet[random() % alphabet.size()]);
        return s;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string haystack = text(random() % 80);
        const std::string needle = text(1 + random() % 4);
        const std::size_t from = random() % (haystack.size() + 2);
        const std::size_t expected =
            from > haystack.size() ? npos
                                   : ansiUpperCase(haystack).find(ansiUpperCase(needle), from);
        ASSERT_EQ(findAnsiNoCase(haystack, needle, from), expected)
            << "haystack " << haystack << " needle " << needle << " from " << from;
    }
}

// Texts that make every candidate fail late: a long run of one letter in
// both. The answer must still be right (and come in linear time).
TEST(AnsiText, SearchInLongRunsOfOneLetter) {
    const std::string run(1 << 20, 'a');
    const std::string needle = std::string(1000, 'A') + "b";
    EXPECT_EQ(findAnsiNoCase(run, needle), npos);
    EXPECT_EQ(findAnsiNoCase(run + "B", needle), run.size() - 1000);
    EXPECT_EQ(findAnsiNoCase(run + "B" + run, needle, 5), run.size() - 1000);
    EXPECT_EQ(findAnsiNoCase(run + "B", "b"), run.size());
    EXPECT_EQ(findAnsiNoCase(run, std::string(2000, 'A')), 0u);
    EXPECT_EQ(findAnsiNoCase(run, std::string(2000, 'A'), run.size() - 2000), run.size() - 2000);
    EXPECT_EQ(findAnsiNoCase(run, std::string(2000, 'A'), run.size() - 1999), npos);
    // Periodic texts, where the linear search must fall back on borders.
    std::string periodic;
    for (int i = 0; i < 100000; ++i) periodic += "abAB";
    EXPECT_EQ(findAnsiNoCase(periodic + "abac", "ABABABABABABABABABAC"), periodic.size() - 16);
}

// Random texts over two letters, long enough for the hand-over to the
// linear search, against searching upper-cased copies.
TEST(AnsiText, LongSearchesAgreeWithSearchingUpperCasedCopies) {
    std::mt19937 random(777);
    for (int round = 0; round < 200; ++round) {
        std::string haystack, needle;
        const std::size_t size = 5000 + random() % 20000;
        for (std::size_t i = 0; i < size; ++i) haystack.push_back("aAaAb"[random() % 5]);
        const std::size_t length = 1 + random() % 40;
        for (std::size_t i = 0; i < length; ++i) needle.push_back("aAaAb"[random() % 5]);
        const std::size_t from = random() % 100;
        ASSERT_EQ(findAnsiNoCase(haystack, needle, from),
                  ansiUpperCase(haystack).find(ansiUpperCase(needle), from))
            << "round " << round;
    }
}

// Content handed to the piece-by-piece search: each case is tried with every
// cut of the content into two pieces and with pieces of every fixed size, so
// that every occurrence lies across a border in some of the tries.
struct PieceSearch {
    const char* name;
    std::string content;  // ansi bytes
    std::string needle;   // ansi bytes
    bool found;
};

void PrintTo(const PieceSearch& c, std::ostream* out) {
    *out << c.name;
}

// Whether the finder finds the needle when the content comes in `pieces`.
bool findInPieces(const std::string& needle, const std::vector<std::string_view>& pieces) {
    AnsiNoCaseFinder finder(needle);
    bool reported = false;
    for (const std::string_view piece : pieces) reported = finder.feed(piece);
    EXPECT_EQ(reported, finder.found());
    return finder.found();
}

class PieceByPieceSearch : public ::testing::TestWithParam<PieceSearch> {};

TEST_P(PieceByPieceSearch, FindsAcrossEveryBorder) {
    const PieceSearch& c = GetParam();
    const std::string_view content = c.content;
    ASSERT_EQ(findAnsiNoCase(c.content, c.needle) != npos, c.found) << "the case itself";
    for (std::size_t cut = 0; cut <= content.size(); ++cut) {
        EXPECT_EQ(findInPieces(c.needle, {content.substr(0, cut), content.substr(cut)}), c.found)
            << "cut after " << cut << " bytes";
    }
    for (std::size_t size = 1; size <= content.size(); ++size) {
        std::vector<std::string_view> pieces;
        for (std::size_t at = 0; at < content.size(); at += size) {
            pieces.push_back(content.substr(at, size));
        }
        EXPECT_EQ(findInPieces(c.needle, pieces), c.found) << "pieces of " << size << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PieceByPieceSearch,
    ::testing::Values(
        PieceSearch{"SameCase", "Name=\"Ventas\"", "Ventas", true},
        PieceSearch{"OtherCase", "Name=\"VENTAS\"", "ventas", true},
        PieceSearch{"Absent", "Name=\"Compras\"", "Ventas", false},
        PieceSearch{"OnlyAPrefixAtTheEnd", "Name=\"Venta", "ventas", false},
        PieceSearch{"OnlyASuffixAtTheStart", "entas\"", "ventas", false},
        PieceSearch{"WholeContent", "ventas", "VENTAS", true},
        PieceSearch{"OneByteNeedle", "abcdefgh", "H", true},
        // Accented letters of the code page, in both cases, wherever the cut falls.
        PieceSearch{"EnyeBothCases", "el a\xF1o y el A\xD1O", "A\xD1O Y", true},
        PieceSearch{"AccentedCapitals", "CANCI\xD3N \xC9XITO", "canci\xF3n \xE9xito", true},
        PieceSearch{"CaronLigatureAndY", "x\x9A\x9C\x9E\xFFx", "\x8A\x8C\x8E\x9F", true},
        PieceSearch{"AccentDiffers", "canci\xF3n", "cancion", false},
        PieceSearch{"DivisionSignHasNoCase",
                    "a\xD7"
                    "b",
                    "A\xF7"
                    "B",
                    false},
        // Partial matches that fail at a border and start again inside it.
        PieceSearch{"RestartsInsideAPartialMatch", "aaaab", "AAAB", true},
        PieceSearch{"OverlappingPrefixes", "abababac", "ABABAC", true},
        PieceSearch{"OverlappingPrefixesAbsent", "abababab", "ABABAC", false},
        PieceSearch{"LineEndsAreBytes", "Ventas\r\nCompras", "s\r\nc", true},
        PieceSearch{"NulBytes", std::string("a\0b\0c", 5), std::string("B\0C", 3), true},
        // Longer than every piece of the second half of the tries.
        PieceSearch{"NeedleLongerThanPieces", "Type=Exe\r\nStartup=\"Sub Main\"\r\nName=\"Ventas\"",
                    "STARTUP=\"SUB MAIN\"\r\nNAME=\"VENTAS\"", true},
        PieceSearch{"NeedleLongerThanPiecesOneByteOff", "Startup=\"Sub Main\"\r\nName=\"Ventas\"",
                    "STARTUP=\"SUB MAIN\"\r\nNAME=\"VENTAZ\"", false},
        PieceSearch{"NeedleLongerThanContent", "Vent", "Ventas", false},
        // An empty needle is found in any content that is not empty.
        PieceSearch{"EmptyNeedle", "x", "", true}, PieceSearch{"EmptyContent", "", "x", false},
        PieceSearch{"EmptyNeedleEmptyContent", "", "", false}),
    [](const ::testing::TestParamInfo<PieceSearch>& i) { return std::string(i.param.name); });

TEST(PieceByPieceSearch, EmptyPiecesChangeNothing) {
    AnsiNoCaseFinder finder("ab");
    EXPECT_FALSE(finder.feed(""));
    EXPECT_FALSE(finder.feed("xa"));
    EXPECT_FALSE(finder.feed(""));
    EXPECT_TRUE(finder.feed("B"));
    EXPECT_TRUE(finder.feed("zz"));  // once found, found for good
    AnsiNoCaseFinder empty("");
    EXPECT_FALSE(empty.feed(""));
    EXPECT_TRUE(empty.feed("x"));
}

// Random contents cut into random pieces, against the whole-content search,
// with needles short and long, cut out of the content (their letter case
// changed here and there) or made up; partial matches of periodic needles
// across borders are common over so few letters.
TEST(PieceByPieceSearch, AgreesWithTheWholeContentSearch) {
    std::mt19937 random(20261211);
    const std::string alphabet = "aAbB\xF1\xD1\xFF\x9F\r\n";
    int found = 0, notFound = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string content(random() % 3000, ' ');
        for (char& c : content) c = alphabet[random() % alphabet.size()];
        std::string needle;
        const std::size_t length = round % 10 == 0 ? 100 + random() % 400 : 1 + random() % 12;
        if (round % 2 == 0 && content.size() > length) {
            needle = content.substr(random() % (content.size() - length), length);
            for (char& c : needle) {
                if (random() % 3 == 0)
                    c = static_cast<char>(ansiUpper(static_cast<unsigned char>(c)));
            }
        } else {
            for (std::size_t i = 0; i < length; ++i) needle.push_back(alphabet[random() % 4]);
        }
        std::vector<std::string_view> pieces;
        const std::size_t largest = 1 + random() % 600;
        for (std::size_t at = 0; at < content.size();) {
            const std::size_t size = std::min(content.size() - at, 1 + random() % largest);
            pieces.push_back(std::string_view(content).substr(at, size));
            at += size;
        }
        const bool expected = findAnsiNoCase(content, needle) != npos;
        ASSERT_EQ(findInPieces(needle, pieces), expected)
            << "round " << round << ": needle of " << needle.size() << " bytes in "
            << content.size() << ", pieces up to " << largest;
        expected ? ++found : ++notFound;
    }
    EXPECT_GT(found, 1000);
    EXPECT_GT(notFound, 1000);
}

struct Trim {
    const char* text;
    const char* trimmed;
};

// Names the case in test listings and failure messages.
void PrintTo(const Trim& c, std::ostream* out) {
    std::ostringstream text;
    text << "\"" << c.text << "\"";
    *out << testing::caseName(text.str());
}

class Trimming : public ::testing::TestWithParam<Trim> {};

TEST_P(Trimming, RemovesSpacesOnly) {
    EXPECT_EQ(trimSpaces(GetParam().text), GetParam().trimmed);
}

INSTANTIATE_TEST_SUITE_P(Cases, Trimming,
                         ::testing::Values(Trim{"", ""}, Trim{"   ", ""}, Trim{"  a b  ", "a b"},
                                           Trim{"\ta\t", "\ta\t"}, Trim{" \xC2\xA0x ", "\xC2\xA0x"},
                                           Trim{"x", "x"}));

}  // namespace
}  // namespace morvane

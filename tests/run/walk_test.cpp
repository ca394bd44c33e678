// The walk over the project list in a search run, on real files: every entry
// ends up marked exactly when its file holds the text, a file that cannot be
// read keeps its mark, the option buttons are read for every entry, and a list
// longer than a 16-bit count is walked to its end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "run/controller.h"
#include "run/recorrer_seleccion.h"
#include "run_fixture.h"

namespace morvane {
namespace {

using testing::Box;
using testing::finalizadoBox;
using testing::RunFixture;

struct Proyecto {
    std::string name;
    std::string bytes;  // ansi
    bool markedBefore;
};

// One search run over the projects; returns the marks afterwards.
std::vector<bool> searchRun(RunFixture& f, const std::string& buscar) {
    f.form.opcion = 3;
    f.form.buscar = buscar;
    CmdOK_Click(f.sv);
    return f.form.marks();
}

TEST(Walk, SearchMarksExactlyTheFilesThatHoldTheText) {
    const std::string relleno(300 * 1024, 'x');
    const std::vector<Proyecto> proyectos = {
        {"Alfa.vbp", "Type=Exe\r\nName=\"COMUN\"\r\n", false},    // other letter case
        {"Beta.vbp", "Type=Exe\r\n" + relleno + "Comun", false},  // at the very end
        {"Delta.vbp", "Type=Exe\r\nName=\"Otro\"\r\n", true},     // loses its mark
        {"Eco.vbp", "", true},                                    // empty file
        {"Fox.vbp", "com\r\nun", false},                          // split by a line end
        {"Golf.vbp", "Type=Exe\r\ncomu", true},                   // only a prefix at the end
        {"Hotel.vbp", "comun", true},                             // the whole file
    };
    const std::vector<bool> expected = {true, true, false, false, false, false, true};

    RunFixture f;
    for (const auto& p : proyectos) f.addProject(p.name, p.bytes, p.markedBefore);
    const std::vector<std::string> listed = [&] {
        std::vector<std::string> v;
        for (const auto& e : f.form.list) v.push_back(e.text);
        return v;
    }();

    EXPECT_EQ(searchRun(f, "comun"), expected);
    EXPECT_EQ(f.toolkit.boxes, (std::vector<Box>{finalizadoBox()}));

    // The same again: searching changed no file, and the list kept its
    // entries and their order.
    EXPECT_EQ(searchRun(f, "  comun  "), expected);
    for (std::size_t i = 0; i < proyectos.size(); ++i) {
        EXPECT_EQ(testing::readBytes(f.hostOf(proyectos[i].name)), proyectos[i].bytes);
        EXPECT_EQ(f.form.list[i].text, listed[i]);
    }
    EXPECT_EQ(f.form.list.size(), proyectos.size());
}

struct TextCase {
    const char* name;
    std::string buscar;          // as typed (UTF-8)
    std::vector<bool> expected;  // for the files below
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.name;
}

// The files every text case is searched in.
const std::vector<Proyecto> kArchivos = {
    {"A.vbp", "", false},
    {"B.vbp", " ", false},
    {"C.vbp",
     "Name=\"Compa\xD1\xCD"
     "A\"\r\n",
     false},  // COMPAÑÍA
    {"D.vbp",
     "Name=\"compa\xF1\xED"
     "a\"\r\n",
     true},  // compañía
    {"E.vbp", "Name=\"Compania\"\r\n", true},
    {"F.vbp", "Title=\"a\tb\"\r\n", false},
    {"G.vbp", "Ref=\x80 y \x9A\r\n", false},  // € y š
};

class SearchText : public ::testing::TestWithParam<TextCase> {};

TEST_P(SearchText, MarksTheFilesThatHoldIt) {
    RunFixture f;
    for (const auto& p : kArchivos) f.addProject(p.name, p.bytes, p.markedBefore);
    EXPECT_EQ(searchRun(f, GetParam().buscar), GetParam().expected);
    EXPECT_EQ(f.toolkit.boxes, (std::vector<Box>{finalizadoBox()}));
}

INSTANTIATE_TEST_SUITE_P(
    Walk, SearchText,
    ::testing::Values(
        // An empty text is found in every file that is not empty.
        TextCase{"Empty", "", {false, true, true, true, true, true, true}},
        TextCase{"SpacesOnlyBecomeEmpty", "    ", {false, true, true, true, true, true, true}},
        TextCase{"QuoteBetweenSpaces", " \" ", {false, false, true, true, true, true, false}},
        TextCase{"TabIsKept", "\t", {false, false, false, false, false, true, false}},
        TextCase{"TabBetweenSpaces", " a\tB ", {false, false, false, false, false, true, false}},
        TextCase{"EnyeLower", "compañía", {false, false, true, true, false, false, false}},
        TextCase{"EnyeUpper", "COMPAÑÍA", {false, false, true, true, false, false, false}},
        TextCase{"WithoutAccents", "compania", {false, false, false, false, true, false, false}},
        TextCase{"EuroAndCaron", "€ Y Š", {false, false, false, false, false, false, true}},
        // A character the code page cannot hold cannot be in any file.
        TextCase{"OutsideTheCodePage",
                 "Compañía\u0101",
                 {false, false, false, false, false, false, false}},
        TextCase{"NameEverywhere", "NAME=\"", {false, false, true, true, true, false, false}}),
    [](const ::testing::TestParamInfo<TextCase>& i) { return std::string(i.param.name); });

TEST(Walk, AFileThatCannotBeReadKeepsItsMarkAndTheOthersAreSearched) {
    for (bool markedBefore : {true, false}) {
        for (int answer : {mb::kIgnore, mb::kAbort}) {
            SCOPED_TRACE(::testing::Message() << "marked " << markedBefore << " answer " << answer);
            RunFixture f;
            f.addProject("A.vbp", "Ventas", !markedBefore);
            f.addProject("B.vbp", "Ventas", markedBefore);
            f.addProject("C.vbp", "Compras", true);
            f.addProject("D.vbp", "ventas", false);
            std::filesystem::remove(f.hostOf("B.vbp"));
            f.toolkit.answers = {answer};

            EXPECT_EQ(searchRun(f, "VENTAS"), (std::vector<bool>{true, markedBefore, false, true}));
            EXPECT_EQ(f.toolkit.boxes,
                      (std::vector<Box>{{standardDescription(err::kFileNotFound), 18, std::nullopt},
                                        finalizadoBox()}));
            EXPECT_EQ(f.form.caption, "&OK");
        }
    }
}

TEST(Walk, AFolderInTheListIsAFailureOfItsEntry) {
    RunFixture f;
    f.addProject("A.vbp", "x");
    std::filesystem::create_directories(f.hostOf("Carpeta.vbp"));
    f.form.add("C:\\Proyectos\\Carpeta.vbp", true);
    f.toolkit.answers = {mb::kIgnore};
    EXPECT_EQ(searchRun(f, "x"), (std::vector<bool>{true, true}));
    ASSERT_EQ(f.toolkit.boxes.size(), 2u);
    EXPECT_EQ(f.toolkit.boxes[0].style, 18);
}

TEST(Walk, TheOptionButtonsAreReadForEveryEntry) {
    RunFixture f;
    for (const char* name : {"A.vbp", "B.vbp", "C.vbp", "D.vbp", "E.vbp"}) {
        f.addProject(name, "texto");
    }
    // The choice moves to the build (no entry is marked, so nothing is built)
    // when the walk reaches entry 1, and back to the search at entry 3.
    f.form.onRead = [&](const std::string& what, int index) {
        if (what != "mark") return;
        if (index == 1) f.form.opcion = 2;
        if (index == 3) f.form.opcion = 3;
    };
    EXPECT_EQ(searchRun(f, "TEXTO"), (std::vector<bool>{true, false, false, true, true}));
    EXPECT_EQ(f.toolkit.boxes, (std::vector<Box>{finalizadoBox()}));
}

TEST(Walk, TheMarkAndTextAreReadWhenTheWalkReachesTheEntry) {
    RunFixture f;
    f.addProject("A.vbp", "uno");
    f.addProject("B.vbp", "dos");
    f.addProject("C.vbp", "uno");
    // While entry 0 is handled, entry 1 is made to name the third file.
    f.form.onRead = [&](const std::string& what, int index) {
        if (what == "text" && index == 0) f.form.list[1].text = "C:\\Proyectos\\C.vbp";
    };
    EXPECT_EQ(searchRun(f, "uno"), (std::vector<bool>{true, true, true}));
}

// The count is taken once: when the list gets shorter during the walk, each
// reading past its end fails on its own, and passing over a failed test goes
// on into the way the test leads to when it holds.
TEST(Walk, AListThatShrinksDuringTheWalkFailsStepByStepAndGoesOn) {
    RunFixture f;
    for (const char* name : {"A.vbp", "B.vbp", "C.vbp", "D.vbp"}) f.addProject(name, "x");
    f.form.onRead = [&](const std::string& what, int index) {
        if (what == "mark" && index == 1) f.form.list.resize(2);
    };
    std::vector<std::string> failedReads;
    f.toolkit.beforeAnswer = [&](const Box& b) {
        if (b.style == 18) failedReads.push_back(b.text);
    };
    // Per missing entry: its mark (27), its text (28), its text again (36),
    // and writing its mark after the search of the last path read (37).
    f.toolkit.answers = {mb::kIgnore, mb::kAbort, mb::kIgnore, mb::kAbort,
                         mb::kIgnore, mb::kAbort, mb::kIgnore, mb::kAbort};

    EXPECT_EQ(searchRun(f, "X"), (std::vector<bool>{true, true}));

    EXPECT_EQ(failedReads,
              std::vector<std::string>(8, standardDescription(err::kInvalidPropertyIndex)));
    EXPECT_EQ(f.form.reads["mark"], 4);
    EXPECT_EQ(f.form.reads["text"], 2 + 2 * 2);
    EXPECT_EQ(f.toolkit.boxes.back(), finalizadoBox());
    EXPECT_TRUE(f.toolkit.answers.empty());
}

TEST(Walk, AnEmptyListEndsWithProcesoFinalizado) {
    RunFixture f;
    EXPECT_TRUE(searchRun(f, "x").empty());
    EXPECT_EQ(f.toolkit.boxes, (std::vector<Box>{finalizadoBox()}));
    EXPECT_EQ(f.form.reads["mark"], 0);
}

// The count and the index are not held in 16 bits: a list longer than
// 32,767 entries is walked to its last entry, with no overflow on the way.
TEST(Walk, AListLongerThanSixteenBitsIsWalkedWhole) {
    RunFixture f;
    testing::writeBytes(f.hostOf("Si.vbp"), "Name=\"Ventas\"");
    testing::writeBytes(f.hostOf("No.vbp"), "Name=\"Compras\"");
    constexpr int kEntries = 32768 + 5;
    for (int i = 0; i < kEntries; ++i) {
        const bool holds = i % 3 != 0;
        f.form.add(holds ? "C:\\Proyectos\\Si.vbp" : "C:\\Proyectos\\No.vbp", !holds);
    }

    const std::vector<bool> marks = searchRun(f, "ventas");

    ASSERT_EQ(marks.size(), static_cast<std::size_t>(kEntries));
    for (int i = 0; i < kEntries; ++i) {
        ASSERT_EQ(marks[i], i % 3 != 0) << "entry " << i;
    }
    EXPECT_EQ(f.form.reads["mark"], kEntries);
    EXPECT_EQ(f.toolkit.boxes, (std::vector<Box>{finalizadoBox()}));
}

// The shared corpus of real project files, searched for a few texts; the
// marks are compared with GNU grep's list of matching files.
std::set<std::string> grepMatches(const std::filesystem::path& root, const std::string& text) {
    // grep compares bytes in the C locale; the texts below are plain ASCII, so
    // its letter case rules are those of the code page for them.
    const std::string cmd = "cd '" + root.string() +
                            "' && LC_ALL=C grep -r -F -i -l --include='*.vbp' -e '" + text +
                            "' . 2>/dev/null";
    std::set<std::string> out;
    FILE* pipe = popen(cmd.c_str(), "r");
    if (pipe == nullptr) return out;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string s(line);
        if (!s.empty() && s.back() == '\n') s.pop_back();
        out.insert(std::filesystem::path(s).lexically_normal().string());
    }
    pclose(pipe);
    return out;
}

TEST(Walk, CorpusMarksMatchAnIndependentSearch) {
    const std::filesystem::path corpus = testing::corpusFolder();
    if (corpus.empty()) GTEST_SKIP() << "the shared corpus folder is not beside this checkout";
    if (std::system("grep --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "grep is missing";

    RunFixture f;
    f.drive.drives().map('k', corpus);
    std::vector<std::string> rels;
    for (const auto& e : std::filesystem::recursive_directory_iterator(corpus)) {
        if (!e.is_regular_file() || e.path().extension() != ".vbp") continue;
        rels.push_back(std::filesystem::relative(e.path(), corpus).string());
    }
    std::sort(rels.begin(), rels.end());
    ASSERT_GT(rels.size(), 100u);
    for (const auto& rel : rels) {
        std::string entry = "k:\\" + rel;
        std::replace(entry.begin(), entry.end(), '/', '\\');
        f.form.add(entry, false);
    }

    int withSome = 0;
    for (const std::string text :
         {"mscomctl", "STARTUP=\"SUB MAIN\"", "Form", "exename32=", "ThreadPerObject", "retained=1",
          "CompatibleMode=\"0\"", "", "zz-no-such-text-zz"}) {
        SCOPED_TRACE(text);
        const std::set<std::string> grep = grepMatches(corpus, text);
        f.toolkit.boxes.clear();
        const std::vector<bool> marks = searchRun(f, text);
        EXPECT_EQ(f.toolkit.boxes, (std::vector<Box>{finalizadoBox()}));
        std::size_t marked = 0;
        for (std::size_t i = 0; i < rels.size(); ++i) {
            const bool inGrep = grep.count(std::filesystem::path(rels[i]).lexically_normal()) > 0;
            EXPECT_EQ(marks[i], inGrep) << rels[i];
            marked += marks[i];
        }
        if (marked > 0 && marked < rels.size()) ++withSome;
    }
    // The texts split the corpus: most of them match some files and not others.
    EXPECT_GE(withSome, 5);
}

}  // namespace
}  // namespace morvane

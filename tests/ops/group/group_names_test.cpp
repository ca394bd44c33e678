// The name of the group file: the extension rule, the input box, blank names
// ending the run, and the question before an existing file is replaced.
#include <gtest/gtest.h>

#include "ops/group/group_fixture.h"

namespace morvane::testing {
namespace {

struct NameCase {
    const char* label;
    std::string typed;
    std::string written;  // the name of the file that the run writes
};

// Test names and failure messages show the case by its label.
void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.label;
}

class GroupName : public ::testing::TestWithParam<NameCase> {};

TEST_P(GroupName, GivesTheFileNameOfTheFolder) {
    const NameCase& c = GetParam();
    GroupRun run;
    run.project("Ventas.vbp", true);
    run.toolkit.inputs = {c.typed};
    run.press();

    ASSERT_EQ(run.toolkit.inputBoxes.size(), 1u);
    EXPECT_EQ(run.toolkit.inputBoxes[0].prompt, kPreguntaNombre);
    EXPECT_EQ(run.toolkit.inputBoxes[0].title, kTituloNombre);
    EXPECT_EQ(run.groupFiles(), std::vector<std::string>{c.written});
    EXPECT_EQ(readBytes(run.folder() / c.written), "VBGROUP 5.0\r\nStartupProject=Ventas.vbp\r\n");
    EXPECT_EQ(run.toolkit.boxes, std::vector<Box>{finalizadoBox()});
    EXPECT_EQ(run.form.caption, "&OK");
}

INSTANTIATE_TEST_SUITE_P(
    GroupNames, GroupName,
    ::testing::Values(NameCase{"Plain", "Sistema", "Sistema.vbG"},
                      NameCase{"CapitalExtension", "Sistema.VBG", "Sistema.VBG"},
                      NameCase{"SmallExtension", "sistema.vbg", "sistema.vbg"},
                      NameCase{"OtherExtension", "Sistema.vbp", "Sistema.vbp.vbG"},
                      NameCase{"Short", "abc", "abc.vbG"},
                      NameCase{"ShorterThanTheExtension", "ab", "ab.vbG"},
                      NameCase{"LeadingSpaces", "  Sistema", "  Sistema.vbG"},
                      NameCase{"InnerAndTrailingSpaces", "Mi Grupo ", "Mi Grupo .vbG"},
                      NameCase{"ExtensionOnly", ".vbG", ".vbG"},
                      NameCase{"AccentedLetters", "Año Contable", "Año Contable.vbG"}),
    [](const auto& info) { return std::string(info.param.label); });

// A blank name, a cancelled box included, ends the run at once: nothing is
// written, no message follows, and the next press starts a run as usual.
class BlankName : public ::testing::TestWithParam<std::string> {};

TEST_P(BlankName, EndsTheRunWithNothingWritten) {
    GroupRun run;
    run.project("Ventas.vbp", true);
    const std::vector<std::string> before = run.files();
    run.toolkit.inputs = {GetParam()};
    run.press();

    EXPECT_EQ(run.files(), before);
    EXPECT_TRUE(run.toolkit.boxes.empty());
    EXPECT_EQ(run.form.caption, "&OK");
    EXPECT_EQ(run.form.detalle, "...");

    run.toolkit.inputs = {"Sistema"};
    run.press();
    EXPECT_EQ(readBytes(run.folder() / "Sistema.vbG"),
              "VBGROUP 5.0\r\nStartupProject=Ventas.vbp\r\n");
    EXPECT_EQ(run.toolkit.boxes, std::vector<Box>{finalizadoBox()});
}

// The scripted box answers a cancel with the empty text, as the real one does.
INSTANTIATE_TEST_SUITE_P(GroupBlanks, BlankName, ::testing::Values("", " ", "      "));

TEST(GroupOverwrite, NoAsksForTheNameAgainAndLeavesTheFileAlone) {
    GroupRun run;
    run.project("Ventas.vbp", true);
    writeBytes(run.folder() / "Sistema.vbG", "contenido anterior\r\n");
    run.toolkit.inputs = {"Sistema", "Otro"};
    run.toolkit.answers = {mb::kNo};
    run.press();

    ASSERT_EQ(run.toolkit.inputBoxes.size(), 2u);
    EXPECT_EQ(run.toolkit.inputBoxes[1].prompt, kPreguntaNombre);
    EXPECT_EQ(run.toolkit.inputBoxes[1].title, kTituloNombre);
    EXPECT_EQ(run.toolkit.boxes, (std::vector<Box>{reemplazoBox(), finalizadoBox()}));
    EXPECT_EQ(readBytes(run.folder() / "Sistema.vbG"), "contenido anterior\r\n");
    EXPECT_EQ(readBytes(run.folder() / "Otro.vbG"), "VBGROUP 5.0\r\nStartupProject=Ventas.vbp\r\n");
}

TEST(GroupOverwrite, RepeatsUntilANameIsFreeOrLeftBlank) {
    GroupRun run;
    run.project("Ventas.vbp", true);
    writeBytes(run.folder() / "Uno.vbG", "1");
    writeBytes(run.folder() / "Dos.vbG", "2");
    run.toolkit.inputs = {"Uno", "Dos", "  "};
    run.toolkit.answers = {mb::kNo, mb::kNo};
    run.press();

    EXPECT_EQ(run.toolkit.inputBoxes.size(), 3u);
    EXPECT_EQ(run.toolkit.boxes, (std::vector<Box>{reemplazoBox(), reemplazoBox()}));
    EXPECT_EQ(run.files(), (std::vector<std::string>{"Dos.vbG", "Uno.vbG", "Ventas.vbp"}));
    EXPECT_EQ(readBytes(run.folder() / "Uno.vbG"), "1");
    EXPECT_EQ(readBytes(run.folder() / "Dos.vbG"), "2");
    EXPECT_EQ(run.form.caption, "&OK");
}

// Yes empties the file and writes it anew, in the spelling it has on disk.
struct ExistingCase {
    const char* label;
    std::string onDisk;
    std::string typed;
};

// Test names and failure messages show the case by its label.
void PrintTo(const ExistingCase& c, std::ostream* os) {
    *os << c.label;
}

class GroupReplace : public ::testing::TestWithParam<ExistingCase> {};

TEST_P(GroupReplace, YesEmptiesTheFileAndWritesItAnew) {
    const ExistingCase& c = GetParam();
    GroupRun run;
    run.project("Stock.vbp", false);
    run.project("Ventas.vbp", true);
    writeBytes(
        run.folder() / c.onDisk,
        "VBGROUP 5.0\r\nStartupProject=Viejo.vbp\r\nProject=Otro.vbp\r\nProject=Mas.vbp\r\n");
    run.toolkit.inputs = {c.typed};
    run.toolkit.answers = {mb::kYes};
    run.press();

    EXPECT_EQ(run.toolkit.boxes, (std::vector<Box>{reemplazoBox(), finalizadoBox()}));
    EXPECT_EQ(run.groupFiles(), std::vector<std::string>{c.onDisk});
    EXPECT_EQ(readBytes(run.folder() / c.onDisk), "VBGROUP 5.0\r\nStartupProject=Ventas.vbp\r\n");
}

INSTANTIATE_TEST_SUITE_P(Existing, GroupReplace,
                         ::testing::Values(ExistingCase{"SameSpelling", "Sistema.vbG", "Sistema"},
                                           ExistingCase{"OtherLetterCase", "SISTEMA.VBG",
                                                        "sistema"},
                                           // The host hides names that start with a dot; the file
                                           // is there all the same and is not emptied unasked.
                                           ExistingCase{"HiddenOnTheHost", ".vbG", ".vbG"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(GroupOverwrite, YesWithNoMarkedEntryLeavesTheFileEmpty) {
    GroupRun run;
    run.project("Ventas.vbp", false);
    writeBytes(run.folder() / "Sistema.vbG", "VBGROUP 5.0\r\nStartupProject=Viejo.vbp\r\n");
    run.toolkit.inputs = {"Sistema"};
    run.toolkit.answers = {mb::kYes};
    run.press();

    EXPECT_EQ(readBytes(run.folder() / "Sistema.vbG"), "");
    EXPECT_EQ(run.toolkit.boxes, (std::vector<Box>{reemplazoBox(), finalizadoBox()}));
}

}  // namespace
}  // namespace morvane::testing

// The lines of the group file: the header with the first marked project as
// the start-up project, a line for each further one in list order, each name
// as the folder listing stores it, in the 8-bit code page, CR LF after each.
#include <gtest/gtest.h>

#include "ops/group/group_fixture.h"

namespace morvane::testing {
namespace {

TEST(GroupContent, TheTwoProjectExampleIsFiftyNineBytes) {
    GroupRun run;
    // The walk takes the list's order, whatever it is.
    run.project("Ventas.vbp", true);
    run.project("Stock.vbp", true);
    run.toolkit.inputs = {"Sistema"};
    run.press();

    const std::string expected =
        "VBGROUP 5.0\r\n"
        "StartupProject=Ventas.vbp\r\n"
        "Project=Stock.vbp\r\n";
    const std::string written = readBytes(run.folder() / "Sistema.vbG");
    EXPECT_EQ(written.size(), 59u);
    EXPECT_EQ(written, expected);
    EXPECT_EQ(run.toolkit.boxes, std::vector<Box>{finalizadoBox()});
    EXPECT_EQ(run.form.caption, "&OK");
}

struct ContentCase {
    const char* label;
    std::vector<std::pair<std::string, bool>> projects;  // in list order, with their marks
    std::string expected;
};

// Test names and failure messages show the case by its label.
void PrintTo(const ContentCase& c, std::ostream* os) {
    *os << c.label;
}

class GroupLines : public ::testing::TestWithParam<ContentCase> {};

TEST_P(GroupLines, NameTheMarkedProjectsInListOrder) {
    const ContentCase& c = GetParam();
    GroupRun run;
    for (const auto& [name, marked] : c.projects) run.project(name, marked);
    run.toolkit.inputs = {"Grupo"};
    run.press();

    EXPECT_EQ(readBytes(run.folder() / "Grupo.vbG"), c.expected);
    EXPECT_EQ(run.toolkit.boxes, std::vector<Box>{finalizadoBox()});
    EXPECT_EQ(run.form.caption, "&OK");
}

INSTANTIATE_TEST_SUITE_P(
    GroupLists, GroupLines,
    ::testing::Values(ContentCase{"EmptyList", {}, ""},
                      ContentCase{"NoMarkedEntry", {{"Alfa.vbp", false}, {"Beta.vbp", false}}, ""},
                      ContentCase{"OneMarkedEntryGivesTwoLines",
                                  {{"Alfa.vbp", false}, {"Beta.vbp", true}, {"Gamma.vbp", false}},
                                  "VBGROUP 5.0\r\nStartupProject=Beta.vbp\r\n"},
                      ContentCase{"UnmarkedEntriesArePassedOver",
                                  {{"Alfa.vbp", false},
                                   {"Beta.vbp", true},
                                   {"Delta.vbp", false},
                                   {"Gamma.vbp", true},
                                   {"Omega.vbp", true}},
                                  "VBGROUP 5.0\r\nStartupProject=Beta.vbp\r\nProject=Gamma.vbp\r\n"
                                  "Project=Omega.vbp\r\n"},
                      ContentCase{
                          "SpacesInProjectNames",
                          {{"life Game.vbp", true}, {"life r3.vbp", true}},
                          "VBGROUP 5.0\r\nStartupProject=life Game.vbp\r\nProject=life r3.vbp\r\n"},
                      // Windows-1252 bytes, not UTF-8: ñ is F1, the euro sign 80.
                      ContentCase{"CodePageNames",
                                  {{"Señal.vbp", true}, {"€uros.vbp", true}},
                                  "VBGROUP 5.0\r\nStartupProject=Se\xF1"
                                  "al.vbp\r\nProject=\x80uros.vbp\r\n"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(GroupContent, NamesTheProjectInTheLetterCaseStoredOnDisk) {
    GroupRun run;
    writeBytes(run.folder() / "VentasNuevas.VBP", "Type=Exe\r\n");
    run.form.add("c:\\proyectos\\ventasnuevas.vbp", true);
    run.toolkit.inputs = {"Sistema"};
    run.press();

    EXPECT_EQ(readBytes(run.folder() / "Sistema.vbG"),
              "VBGROUP 5.0\r\nStartupProject=VentasNuevas.VBP\r\n");
}

TEST(GroupContent, AProjectDeletedSinceTheListingLeavesTheNameEmpty) {
    GroupRun run;
    run.project("Alfa.vbp", true);
    run.project("Beta.vbp", true);
    run.project("Gamma.vbp", true);
    std::filesystem::remove(run.folder() / "Alfa.vbp");
    std::filesystem::remove(run.folder() / "Gamma.vbp");
    run.toolkit.inputs = {"Sistema"};
    run.press();

    EXPECT_EQ(readBytes(run.folder() / "Sistema.vbG"),
              "VBGROUP 5.0\r\nStartupProject=\r\nProject=Beta.vbp\r\nProject=\r\n");
    EXPECT_EQ(run.toolkit.boxes, std::vector<Box>{finalizadoBox()});
}

TEST(GroupContent, TheFolderWithATrailingBackslashGetsNoSecondOne) {
    GroupRun run;
    run.form.dir = "C:\\Proyectos\\";
    run.project("Ventas.vbp", true);
    run.toolkit.inputs = {"Sistema"};
    run.press();

    EXPECT_EQ(readBytes(run.folder() / "Sistema.vbG"),
              "VBGROUP 5.0\r\nStartupProject=Ventas.vbp\r\n");
}

// This host allows * and ? in file names; the line names the project itself,
// never another file that the name would match as a pattern.
TEST(GroupContent, AHostNameWithWildcardsNamesThatVeryFile) {
    GroupRun run;
    writeBytes(run.folder() / "a.vbp", "Type=Exe\r\n");
    writeBytes(run.folder() / "ab.vbp", "Type=Exe\r\n");
    writeBytes(run.folder() / "a*.vbp", "Type=Exe\r\n");
    writeBytes(run.folder() / "a?.vbp", "Type=Exe\r\n");
    run.form.add("C:\\Proyectos\\a?.vbp", true);
    run.form.add("C:\\Proyectos\\a*.vbp", true);
    run.toolkit.inputs = {"Sistema"};
    run.press();

    EXPECT_EQ(readBytes(run.folder() / "Sistema.vbG"),
              "VBGROUP 5.0\r\nStartupProject=a?.vbp\r\nProject=a*.vbp\r\n");
}

TEST(GroupContent, TwoRunsInARowEachWriteTheirOwnFile) {
    GroupRun run;
    run.project("Alfa.vbp", true);
    run.project("Beta.vbp", false);
    run.toolkit.inputs = {"Uno"};
    run.press();
    run.form.list[0].selected = false;
    run.form.list[1].selected = true;
    run.toolkit.inputs = {"Dos"};
    run.press();

    EXPECT_EQ(readBytes(run.folder() / "Uno.vbG"), "VBGROUP 5.0\r\nStartupProject=Alfa.vbp\r\n");
    EXPECT_EQ(readBytes(run.folder() / "Dos.vbG"), "VBGROUP 5.0\r\nStartupProject=Beta.vbp\r\n");
    EXPECT_EQ(run.toolkit.boxes, (std::vector<Box>{finalizadoBox(), finalizadoBox()}));
    // Every file that the runs opened has been closed.
    EXPECT_EQ(run.hostFiles.freeFile(), 1);
}

}  // namespace
}  // namespace morvane::testing

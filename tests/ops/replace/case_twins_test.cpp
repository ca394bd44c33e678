// Names that differ only in letter case: on a host that keeps letter case one
// folder can hold Ventas.VBP beside Ventas.vbp. Neither is rewritten, the box
// names both, and every file stays as it was; the other projects of the run
// are rewritten as usual.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "reescritura_fixture.h"
#include "run/controller.h"

namespace morvane::testing {
namespace {

namespace fs = std::filesystem;

// Every file of a host folder with its bytes.
std::map<std::string, std::string> contents(const fs::path& folder) {
    std::map<std::string, std::string> all;
    for (const auto& entry : fs::directory_iterator(folder))
        all[entry.path().filename().string()] = readBytes(entry.path());
    return all;
}

struct TwinCase {
    const char* name;
    bool upperFirst;  // Ventas.VBP before Ventas.vbp in the list
    int answer;       // given to every failure box
};

class CaseTwins : public Reescritura, public ::testing::WithParamInterface<TwinCase> {
  protected:
    CaseTwins() {
        writeBytes(host("P/Ventas.VBP"), "Name=\"Ventas\"\r\nVersion=1\r\n");
        writeBytes(host("P/Ventas.vbp"), "Name=\"Ventas\"\r\nVersion=2\r\n");
        writeBytes(host("P/Ventas.OLD"), "Name=\"Ventas\"\r\nVersion=0\r\n");
        writeBytes(host("P/Compras.vbp"), "Name=\"Ventas\"\r\n");
        form.dir = "C:\\P";
        form.opcion = 1;
        form.buscar = "Ventas";
        form.reemplazar = "Facturas";
        const std::string upper = "C:\\P\\Ventas.VBP";
        const std::string lower = "C:\\P\\Ventas.vbp";
        form.add("C:\\P\\Compras.vbp", true);
        form.add(GetParam().upperFirst ? upper : lower, true);
        form.add(GetParam().upperFirst ? lower : upper, true);
    }

    static std::string clash() {
        return standardDescription(err::kFileExists) +
               ": C:\\P\\Ventas.VBP y C:\\P\\Ventas.vbp solo se distinguen por mayúsculas y "
               "minúsculas; no se reescribe ninguno";
    }
};

TEST_P(CaseTwins, NeitherTwinIsRewrittenAndNothingIsLost) {
    auto before = contents(host("P"));
    // Retry finds the same clash again; that box is answered Ignore.
    const int a = GetParam().answer;
    if (a == mb::kRetry)
        toolkit.answers = {mb::kYes, a, mb::kIgnore, a, mb::kIgnore};
    else
        toolkit.answers = {mb::kYes, a, a};
    CmdOK_Click(sv);

    std::vector<std::string> shown;
    for (const Box& box : toolkit.boxes) shown.push_back(box.text);
    const std::vector<std::string> clashes(GetParam().answer == mb::kRetry ? 2 : 1, clash());
    std::vector<std::string> expected{toolkit.boxes.front().text};
    for (int twin = 0; twin < 2; ++twin) expected.insert(expected.end(), clashes.begin(), clashes.end());
    expected.push_back("Proceso Finalizado");
    EXPECT_EQ(shown, expected);

    // Compras is rewritten; the twins and their backup are untouched.
    before["Compras.OLD"] = before["Compras.vbp"];
    before["Compras.vbp"] = "Name=\"Facturas\"\r\n";
    EXPECT_EQ(contents(host("P")), before);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CaseTwins,
    ::testing::Values(TwinCase{"UpperFirstIgnore", true, mb::kIgnore},
                      TwinCase{"UpperFirstAbort", true, mb::kAbort},
                      TwinCase{"UpperFirstRetry", true, mb::kRetry},
                      TwinCase{"LowerFirstIgnore", false, mb::kIgnore},
                      TwinCase{"LowerFirstAbort", false, mb::kAbort},
                      TwinCase{"LowerFirstRetry", false, mb::kRetry}),
    [](const auto& info) { return std::string(info.param.name); });

// A name that only exists in another letter case is still found, as on a
// host that ignores letter case.
TEST_F(Reescritura, AProjectSpelledInAnotherCaseIsStillRewritten) {
    writeBytes(host("P/VENTAS.VBP"), "Name=\"Ventas\"\r\n");
    toolkit.answers = {};
    reemplazar("C:\\P\\ventas.vbp", "Ventas", "Facturas");
    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_EQ(nombres("P"), (std::vector<std::string>{"ventas.OLD", "ventas.vbp"}));
    EXPECT_EQ(readBytes(host("P/ventas.vbp")), "Name=\"Facturas\"\r\n");
    EXPECT_EQ(readBytes(host("P/ventas.OLD")), "Name=\"Ventas\"\r\n");
}

// Two earlier backups that differ only in letter case: neither is deleted, the
// rotation fails without replacing anything, and the project keeps its name.
TEST_F(Reescritura, TwoBackupsInDifferentCaseAreNeitherDeleted) {
    writeBytes(host("P/Ventas.vbp"), "Name=\"Ventas\"\r\n");
    writeBytes(host("P/Ventas.OLD"), "uno");
    writeBytes(host("P/ventas.old"), "dos");
    toolkit.answers = {mb::kIgnore, mb::kIgnore, mb::kIgnore};
    reemplazar("C:\\P\\Ventas.vbp", "Ventas", "Facturas");

    ASSERT_EQ(toolkit.boxes.size(), 3u);
    EXPECT_EQ(toolkit.boxes[0].text,
              standardDescription(err::kFileExists) +
                  ": C:\\P\\Ventas.OLD y C:\\P\\ventas.old solo se distinguen por mayúsculas y "
                  "minúsculas; no se reescribe ninguno");
    EXPECT_EQ(toolkit.boxes[1].text, standardDescription(err::kFileExists));
    EXPECT_EQ(readBytes(host("P/Ventas.vbp")), "Name=\"Ventas\"\r\n");
    EXPECT_EQ(readBytes(host("P/Ventas.OLD")), "uno");
    EXPECT_EQ(readBytes(host("P/ventas.old")), "dos");
    EXPECT_EQ(readBytes(host("P/Ventas.NVO")), "Name=\"Facturas\"\r\n");
}

// The temporary name is made afresh: a hard link or a symbolic link there
// gives way to a new file, and what it pointed at is not written.
TEST_F(Reescritura, TheTemporaryFileNeverWritesThroughALink) {
    writeBytes(host("P/Ventas.vbp"), "Name=\"Ventas\"\r\n");
    writeBytes(host("Otro/ajeno.txt"), "ajeno");
    fs::create_hard_link(host("Otro/ajeno.txt"), host("P/Ventas.NVO"));
    reemplazar("C:\\P\\Ventas.vbp", "Ventas", "Facturas");

    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_EQ(readBytes(host("Otro/ajeno.txt")), "ajeno");
    EXPECT_EQ(readBytes(host("P/Ventas.vbp")), "Name=\"Facturas\"\r\n");
    EXPECT_EQ(readBytes(host("P/Ventas.OLD")), "Name=\"Ventas\"\r\n");
}

}  // namespace
}  // namespace morvane::testing

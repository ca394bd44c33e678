// The contract of the folder listing, the same on every host: names matched
// by the long name alone and without regard to letter case, folders only
// when asked for, the names as stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "contract/host_folder.h"
#include "platform/failure.h"

namespace morvane::testing {
namespace {

constexpr int kDirectory = 16;

class Listing : public ::testing::Test {
  protected:
    HostFolder folder;
    FileServices& files = folder.files;

    std::vector<std::string> list(const std::string& pattern, int attributes = attr::kNormal) {
        return listNames(files, pattern, attributes);
    }
};

struct PatternCase {
    const char* label;
    std::string pattern;  // below C:\Proyectos
    std::vector<std::string> names;
};

void PrintTo(const PatternCase& c, std::ostream* os) {
    *os << c.label;
}

class ListingPattern : public Listing, public ::testing::WithParamInterface<PatternCase> {
  protected:
    void SetUp() override {
        // Names that a pattern could match only through an 8.3 short name,
        // or only by a prefix of their extension, beside the real projects.
        for (const char* name : {"Ventas.vbp", "compras.VBP", "Ventas.vbproj", "Ventas.vbp~",
                                 "X.VBPBAK", "Notas.txt", "Año ñandú.vbp", "a.b.vbp", "sin"}) {
            folder.make(std::string("Proyectos/") + name, "Type=Exe\r\n");
        }
        folder.makeFolder("Proyectos/Carpeta.vbp");
    }
};

TEST_P(ListingPattern, GivesTheMatchingFilesByTheirLongNames) {
    EXPECT_EQ(list(folder.program("Proyectos/" + GetParam().pattern)), GetParam().names);
}

// Expected names in byte order, as the test sorts them.
INSTANTIATE_TEST_SUITE_P(
    Contract, ListingPattern,
    ::testing::Values(PatternCase{"Extension",
                                  "*.vbp",
                                  {"Año ñandú.vbp", "Ventas.vbp", "a.b.vbp", "compras.VBP"}},
                      PatternCase{"ExtensionInCapitals",
                                  "*.VBP",
                                  {"Año ñandú.vbp", "Ventas.vbp", "a.b.vbp", "compras.VBP"}},
                      PatternCase{"QuestionMarks", "?entas.vb?", {"Ventas.vbp"}},
                      PatternCase{"Everything",
                                  "*.*",
                                  {"Año ñandú.vbp", "Notas.txt", "Ventas.vbp", "Ventas.vbproj",
                                   "Ventas.vbp~", "X.VBPBAK", "a.b.vbp", "compras.VBP", "sin"}},
                      PatternCase{"PlainName", "ventas.VBP", {"Ventas.vbp"}},
                      PatternCase{"PlainNameWithAccents", "AÑO ÑANDÚ.vbp", {"Año ñandú.vbp"}},
                      PatternCase{"NoMatch", "*.frm", {}},
                      PatternCase{"PlainNameOfAFolder", "Carpeta.vbp", {}},
                      PatternCase{"MissingFile", "Otro.vbp", {}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Listing, AMissingFolderHasNoMatches) {
    EXPECT_EQ(list(folder.program("NoExiste/*.vbp")), std::vector<std::string>{});
    EXPECT_EQ(list(folder.program("NoExiste/Ventas.vbp")), std::vector<std::string>{});
}

TEST_F(Listing, FoldersAppearOnlyWhenAskedFor) {
    folder.make("Proyectos/Ventas.vbp", "x");
    folder.makeFolder("Proyectos/Sub.vbp");
    EXPECT_EQ(list(folder.program("Proyectos/*.vbp")), std::vector<std::string>{"Ventas.vbp"});
    EXPECT_EQ(list(folder.program("Proyectos/*.vbp"), kDirectory),
              (std::vector<std::string>{"Sub.vbp", "Ventas.vbp"}));
    EXPECT_EQ(list(folder.program("Proyectos/*"), kDirectory),
              (std::vector<std::string>{"Sub.vbp", "Ventas.vbp"}));
}

TEST_F(Listing, AFolderPatternEndingInASeparatorListsEverything) {
    folder.make("Proyectos/Ventas.vbp", "x");
    folder.make("Proyectos/Notas.txt", "x");
    EXPECT_EQ(list(folder.program("Proyectos/")),
              (std::vector<std::string>{"Notas.txt", "Ventas.vbp"}));
}

TEST_F(Listing, OneListingAtATime) {
    folder.make("a.vbp", "x");
    folder.make("b.vbp", "x");
    folder.make("c.txt", "x");
    const std::string first = files.dir(folder.program("*.vbp"), attr::kNormal);
    EXPECT_EQ(files.dir(folder.program("*.txt"), attr::kNormal), "c.txt");
    EXPECT_EQ(files.dirNext(), "");
    EXPECT_FALSE(first.empty());
    try {
        files.dirNext();
        ADD_FAILURE() << "a listing that is over gave another name";
    } catch (const Failure& f) {
        EXPECT_EQ(f.number(), err::kInvalidCall);
    }
}

TEST_F(Listing, APathWithoutADriveIsTakenOnTheCurrentFolder) {
    folder.make("Proyectos/Ventas.vbp", "x");
    folder.drive.drives().setCurrentFolder('c', "C:\\Proyectos");
    EXPECT_EQ(list("*.vbp"), std::vector<std::string>{"Ventas.vbp"});
    EXPECT_EQ(list("..\\Proyectos\\ventas.vbp"), std::vector<std::string>{"Ventas.vbp"});
}

TEST_F(Listing, ManyFilesAreAllListedOnce) {
    for (int i = 0; i < 1500; ++i) folder.make("Muchos/p" + std::to_string(i) + ".vbp", "x");
    const auto names = list(folder.program("Muchos/*.vbp"));
    ASSERT_EQ(names.size(), 1500u);
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
}

}  // namespace
}  // namespace morvane::testing

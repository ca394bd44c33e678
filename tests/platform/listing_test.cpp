// The folder listing on real temporary folders: first match, next matches,
// one listing at a time, plain files only, letter case ignored.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "case_names.h"
#include "platform/failure.h"
#include "platform/host_files.h"
#include "support/temp_drive.h"
#include "unprivileged.h"

namespace fs = std::filesystem;

namespace morvane {
namespace {

using testing::TempDrive;
using testing::writeBytes;

// Every name of a listing, sorted, so that the host's order does not matter.
std::vector<std::string> listAll(FileServices& files, const std::string& pattern,
                                 int attributes = attr::kNormal) {
    std::vector<std::string> names;
    for (std::string name = files.dir(pattern, attributes); !name.empty(); name = files.dirNext()) {
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

int failureNumber(const auto& action) {
    try {
        action();
    } catch (const Failure& f) {
        return f.number();
    }
    return 0;
}

// A folder of projects as a developer's folder holds them: capitals in
// extensions, side files, a hidden project, a sub-folder named like a
// project, links, and Spanish and Japanese names.
class Listing : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"Ventas.vbp", "COMPRAS.VBP", "dblist.Vbp", "Año Contable.vbp",
                                 "計算１.vbp", "Ventas.vbw", "Ventas.vbp.OLD", "Ventas.NVO",
                                 "Notas.txt", ".Oculto.vbp", "Grupo.vbg"}) {
            writeBytes(drive.host(std::string("Proyectos/") + name), "Type=Exe\r\n");
        }
        fs::create_directories(drive.host("Proyectos/Carpeta.vbp"));
        fs::create_symlink("Ventas.vbp", drive.host("Proyectos/enlace.vbp"));
        fs::create_symlink("no-existe.vbp", drive.host("Proyectos/roto.vbp"));
        fs::create_directory_symlink("Carpeta.vbp", drive.host("Proyectos/enlaceCarpeta.vbp"));
        writeBytes(drive.host("raiz.vbp"), "");
        fs::create_directories(drive.host("Vacia"));
    }
    TempDrive drive;
    HostFileServices files{drive.drives()};
};

const std::vector<std::string> kProjects = {"Año Contable.vbp", "COMPRAS.VBP", "Ventas.vbp",
                                            "dblist.Vbp",       "enlace.vbp",  "計算１.vbp"};

struct Listed {
    const char* pattern;
    std::vector<std::string> names;
};

// Names the case in test listings and failure messages.
void PrintTo(const Listed& c, std::ostream* out) {
    std::ostringstream text;
    text << c.pattern;
    *out << testing::caseName(text.str());
}

class Listings : public Listing, public ::testing::WithParamInterface<Listed> {};

TEST_P(Listings, ReturnExactlyTheMatchingPlainFiles) {
    EXPECT_EQ(listAll(files, GetParam().pattern), GetParam().names) << GetParam().pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, Listings,
    ::testing::Values(
        Listed{"C:\\Proyectos\\*.vbp", kProjects}, Listed{"c:\\PROYECTOS\\*.VBP", kProjects},
        Listed{"C:/Proyectos/*.vbp", kProjects},
        Listed{"C:\\Proyectos\\V*.vb?", {"Ventas.vbp", "Ventas.vbw"}},
        Listed{"C:\\Proyectos\\*.*",
               {"Año Contable.vbp", "COMPRAS.VBP", "Grupo.vbg", "Notas.txt", "Ventas.NVO",
                "Ventas.vbp", "Ventas.vbp.OLD", "Ventas.vbw", "dblist.Vbp", "enlace.vbp",
                "計算１.vbp"}},
        Listed{"C:\\Proyectos\\año*", {"Año Contable.vbp"}},
        Listed{"C:\\Proyectos\\??????.vbp", {"Ventas.vbp", "dblist.Vbp", "enlace.vbp"}},
        Listed{"C:\\Proyectos\\",
               {"Año Contable.vbp", "COMPRAS.VBP", "Grupo.vbg", "Notas.txt", "Ventas.NVO",
                "Ventas.vbp", "Ventas.vbp.OLD", "Ventas.vbw", "dblist.Vbp", "enlace.vbp",
                "計算１.vbp"}},
        Listed{"C:\\*.vbp", {"raiz.vbp"}}, Listed{"C:\\Vacia\\*.vbp", {}},
        Listed{"C:\\Falta\\*.vbp", {}},  // a folder that is not there has no matches
        // A plain name: the file in its stored spelling, when it is a plain file.
        Listed{"C:\\Proyectos\\grupo.VBG", {"Grupo.vbg"}}, Listed{"C:\\Proyectos\\Falta.vbg", {}},
        Listed{"C:\\Proyectos\\Carpeta.vbp", {}}, Listed{"C:\\Proyectos\\.Oculto.vbp", {}},
        Listed{"C:\\Proyectos\\roto.vbp", {}}, Listed{"C:\\Falta\\Grupo.vbg", {}}));

TEST_F(Listing, ArchiveSelectionFindsAPlainFileByName) {
    EXPECT_EQ(files.dir("C:\\Proyectos\\GRUPO.vbg", attr::kArchive), "Grupo.vbg");
    EXPECT_EQ(files.dir("C:\\Proyectos\\Otro.vbg", attr::kArchive), "");
    EXPECT_EQ(listAll(files, "C:\\Proyectos\\*.vbp", attr::kArchive), kProjects);
}

TEST_F(Listing, NamesComeBackAsUtf8Bytes) {
    const std::vector<std::string> names = listAll(files, "C:\\Proyectos\\*.vbp");
    EXPECT_NE(std::find(names.begin(), names.end(), "A\xC3\xB1o Contable.vbp"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "\xE8\xA8\x88\xE7\xAE\x97\xEF\xBC\x91.vbp"),
              names.end());
}

TEST_F(Listing, OneListingAtATime) {
    const std::string first = files.dir("C:\\Proyectos\\*.vbp", attr::kNormal);
    EXPECT_FALSE(first.empty());
    // A new listing ends the previous one: only its own names follow.
    EXPECT_EQ(files.dir("C:\\*.vbp", attr::kNormal), "raiz.vbp");
    EXPECT_EQ(files.dirNext(), "");
}

TEST_F(Listing, AskingPastTheEndOrWithoutAListingIsAnInvalidCall) {
    EXPECT_EQ(failureNumber([&] { files.dirNext(); }), err::kInvalidCall);
    EXPECT_EQ(files.dir("C:\\*.vbp", attr::kNormal), "raiz.vbp");
    EXPECT_EQ(files.dirNext(), "");
    EXPECT_EQ(failureNumber([&] { files.dirNext(); }), err::kInvalidCall);
    EXPECT_EQ(files.dir("C:\\Vacia\\*.vbp", attr::kNormal), "");
    EXPECT_EQ(failureNumber([&] { files.dirNext(); }), err::kInvalidCall);
}

TEST_F(Listing, AThousandFilesEachListedOnce) {
    std::vector<std::string> expected;
    for (int i = 0; i < 1000; ++i) {
        const std::string name = "P" + std::to_string(i) + (i % 3 == 0 ? ".VBP" : ".vbp");
        writeBytes(drive.host("Muchos/" + name), "");
        writeBytes(drive.host("Muchos/" + std::to_string(i) + ".frm"), "");
        expected.push_back(name);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listAll(files, "C:\\Muchos\\*.vbp"), expected);
}

TEST_F(Listing, AFolderThatCannotBeReadFailsWithItsDescription) {
    fs::permissions(drive.root(), fs::perms::owner_all | fs::perms::others_exec |
                                      fs::perms::others_read | fs::perms::group_exec);
    fs::permissions(drive.host("Proyectos"), fs::perms::none);
    const int number = testing::runUnprivileged([&] {
        HostFileServices unprivileged(drive.drives());
        try {
            unprivileged.dir("C:\\Proyectos\\*.vbp", attr::kNormal);
        } catch (const Failure& f) {
            return f.description() == standardDescription(f.number()) ? f.number() : 254;
        }
        return 0;
    });
    EXPECT_EQ(number, err::kPermissionDenied);
}

// A folder that may be passed through but not read: a name given in full is
// still found (in its exact spelling), a pattern cannot be listed.
TEST_F(Listing, AFolderThatMayOnlyBePassedThrough) {
    fs::permissions(drive.root(), fs::perms::others_exec, fs::perm_options::add);
    // Passing through only, for the owner and for the others alike (the test
    // may run as root, which then tries as "nobody").
    fs::permissions(drive.host("Proyectos"), fs::perms::owner_exec | fs::perms::others_exec);
    const auto unprivileged = [&](const std::string& pattern, const std::string& expected) {
        return testing::runUnprivileged([&] {
            HostFileServices other(drive.drives());
            try {
                return other.dir(pattern, attr::kArchive) == expected ? 0 : 1;
            } catch (const Failure& f) {
                return f.number();
            }
        });
    };
    EXPECT_EQ(unprivileged("C:\\Proyectos\\Grupo.vbg", "Grupo.vbg"), 0);
    EXPECT_EQ(unprivileged("C:\\Proyectos\\Otro.vbg", ""), 0);
    EXPECT_EQ(unprivileged("C:\\Proyectos\\*.vbg", ""), err::kPermissionDenied);
}

TEST_F(Listing, APathTooLongForTheHostFails) {
    const std::string pattern = "C:\\" + std::string(300, 'x') + "\\*.vbp";
    EXPECT_EQ(failureNumber([&] { files.dir(pattern, attr::kNormal); }), err::kPathFileAccess);
    // The listing that failed is no listing: there is nothing to continue.
    EXPECT_EQ(failureNumber([&] { files.dirNext(); }), err::kInvalidCall);
}

}  // namespace
}  // namespace morvane

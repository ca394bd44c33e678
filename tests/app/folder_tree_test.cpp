// What a folder list shows, without a toolkit: a requested path in each of
// its forms resolved over a temporary drive, the failures for folders and
// drives that are not there, the visible sub-folders, and the entries.
#include "app/folder_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "support/temp_drive.h"

namespace morvane::testing {
namespace {

namespace fs = std::filesystem;

class FolderTree : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(drive.host("Proyectos/Ventas/Alfa"));
        fs::create_directories(drive.host("Proyectos/Ventas/beta"));
        fs::create_directories(drive.host("Proyectos/Ventas/.git"));  // hidden
        writeBytes(drive.host("Proyectos/Ventas/archivo.vbp"), "");   // a file
        fs::create_directory_symlink(drive.host("Proyectos"),
                                     drive.host("Proyectos/Ventas/enlace"));
        drive.drives().setCurrentFolder('c', "C:\\Proyectos");
    }
    TempDrive drive{'c'};
};

struct Request {
    const char* name;
    const char* current;
    const char* requested;
    const char* program;  // the folder it resolves to
};

class FolderRequests : public FolderTree, public ::testing::WithParamInterface<Request> {};

TEST_P(FolderRequests, ResolveToTheFolderAsItIsNamedOnDisk) {
    const Request& r = GetParam();
    EXPECT_EQ(resolveFolder(drive.drives(), r.current, r.requested).program, r.program);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, FolderRequests,
    ::testing::Values(
        Request{"Full", "C:\\", "C:\\Proyectos\\Ventas", "C:\\Proyectos\\Ventas"},
        Request{"AnyCaseEitherSeparator", "C:\\", "c:/proyectos/VENTAS", "C:\\Proyectos\\Ventas"},
        Request{"DriveAlone", "C:\\Proyectos\\Ventas", "c:", "C:\\Proyectos"},
        Request{"FromTheRoot", "C:\\Proyectos\\Ventas", "\\Proyectos", "C:\\Proyectos"},
        Request{"Relative", "C:\\Proyectos", "ventas", "C:\\Proyectos\\Ventas"},
        Request{"TheRoot", "C:\\Proyectos", "C:\\", "C:\\"}),
    [](const ::testing::TestParamInfo<Request>& info) { return std::string(info.param.name); });

TEST_F(FolderTree, AFolderOrDriveThatIsNotThereFailsWith76) {
    for (const char* requested :
         {"C:\\NoExiste", "q:\\Proyectos", "q:", "C:\\Proyectos\\Ventas\\archivo.vbp"}) {
        SCOPED_TRACE(requested);
        try {
            resolveFolder(drive.drives(), "C:\\", requested);
            ADD_FAILURE() << "resolved";
        } catch (const Failure& f) {
            EXPECT_EQ(f.number(), err::kPathNotFound);
        }
    }
}

TEST_F(FolderTree, TheVisibleSubFoldersLinksIncluded) {
    ResolvedFolder folder = resolveFolder(drive.drives(), "C:\\", "C:\\Proyectos\\Ventas");
    EXPECT_EQ(folder.names, (std::vector<std::string>{"Proyectos", "Ventas"}));
    std::sort(folder.subFolders.begin(), folder.subFolders.end());
    EXPECT_EQ(folder.subFolders, (std::vector<std::string>{"Alfa", "beta", "enlace"}));
}

TEST_F(FolderTree, EntriesThePathOpenThenTheSubFoldersClosed) {
    const ResolvedFolder folder{"C:\\Proyectos\\Ventas", {"Proyectos", "Ventas"}, {"Alfa", "beta"}};
    std::vector<std::string> shown;
    for (const FolderEntry& e : folderEntries(folder)) {
        shown.push_back(std::to_string(e.level) + (e.open ? " open " : " closed ") + e.text +
                        " = " + e.path);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "0 open c:\\ = C:\\",
                         "1 open Proyectos = C:\\Proyectos",
                         "2 open Ventas = C:\\Proyectos\\Ventas",
                         "3 closed Alfa = C:\\Proyectos\\Ventas\\Alfa",
                         "3 closed beta = C:\\Proyectos\\Ventas\\beta",
                     }));
    // At the root the sub-folders follow the root directly.
    const ResolvedFolder root{"D:\\", {}, {"Trabajo"}};
    const std::vector<FolderEntry> entries = folderEntries(root);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].path, "D:\\Trabajo");
    EXPECT_EQ(entries[1].level, 1u);
    EXPECT_EQ(rootOf('d'), "D:\\");
    EXPECT_EQ(driveOf("D:\\Trabajo"), 'd');
    EXPECT_EQ(driveOf(""), 0);
}

}  // namespace
}  // namespace morvane::testing

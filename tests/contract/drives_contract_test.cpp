// The contract of the drive table, the same on every host: letters mapped to
// folders, each with its own current folder, and program paths resolved
// against them.
#include <gtest/gtest.h>

#include <string>

#include "contract/host_folder.h"
#include "platform/drives.h"
#include "platform/failure.h"

namespace morvane::testing {
namespace {

class Drives : public ::testing::Test {
  protected:
    HostFolder c;
    TempFolder other;
    DriveTable& drives = c.drive.drives();

    void SetUp() override {
        drives.map('D', other.path());
        c.makeFolder("Proyectos/Ventas");
        c.make("Proyectos/Ventas/Ventas.vbp", "Type=Exe\r\n");
        std::filesystem::create_directories(other / "Copias");
    }
    // Whether a program path leads to the host file given below drive c:.
    bool leadsTo(const std::string& program, const std::string& rel) {
        return std::filesystem::equivalent(drives.toHost(program), c.host(rel));
    }
};

TEST_F(Drives, LettersAreKeptInSmallLettersAndInOrder) {
    EXPECT_EQ(drives.letters(), (std::vector<char>{'c', 'd'}));
    EXPECT_TRUE(drives.hasDrive('C'));
    EXPECT_TRUE(drives.hasDrive('d'));
    EXPECT_FALSE(drives.hasDrive('e'));
    EXPECT_EQ(drives.currentFolder('D'), "d:\\");
    EXPECT_EQ(drives.startDrive(), 'c');
}

TEST_F(Drives, EachDriveKeepsItsOwnCurrentFolder) {
    drives.setCurrentFolder('c', "C:\\Proyectos\\Ventas");
    drives.setCurrentFolder('d', "\\Copias");
    EXPECT_EQ(drives.currentFolder('c'), "c:\\Proyectos\\Ventas");
    EXPECT_EQ(drives.currentFolder('d'), "d:\\Copias");
    // A path without a folder is taken in the current folder of its drive.
    EXPECT_TRUE(leadsTo("Ventas.vbp", "Proyectos/Ventas/Ventas.vbp"));
    EXPECT_TRUE(leadsTo("c:Ventas.vbp", "Proyectos/Ventas/Ventas.vbp"));
    EXPECT_TRUE(leadsTo("..\\Ventas\\.\\Ventas.vbp", "Proyectos/Ventas/Ventas.vbp"));
    EXPECT_TRUE(std::filesystem::equivalent(drives.toHost("d:"), other / "Copias"));
}

TEST_F(Drives, ProgramPathsTakeEitherSeparatorAndDotFolders) {
    EXPECT_TRUE(leadsTo("C:\\Proyectos\\Ventas\\Ventas.vbp", "Proyectos/Ventas/Ventas.vbp"));
    EXPECT_TRUE(leadsTo("c:/Proyectos/Ventas/Ventas.vbp", "Proyectos/Ventas/Ventas.vbp"));
    EXPECT_TRUE(
        leadsTo("C:\\Proyectos\\.\\Otro\\..\\Ventas\\Ventas.vbp", "Proyectos/Ventas/Ventas.vbp"));
    EXPECT_TRUE(leadsTo("C:\\..\\Proyectos\\Ventas\\Ventas.vbp", "Proyectos/Ventas/Ventas.vbp"));
}

TEST_F(Drives, HostPathsGoBackToProgramPaths) {
    EXPECT_EQ(drives.toProgram(c.host("Proyectos/Ventas/Ventas.vbp")),
              "c:\\Proyectos\\Ventas\\Ventas.vbp");
    EXPECT_EQ(drives.toProgram(other / "Copias"), "d:\\Copias");
    EXPECT_EQ(drives.toProgram(c.drive.root()), "c:\\");
}

TEST_F(Drives, UnknownDrivesAndFoldersAreMissingPaths) {
    EXPECT_EQ(failureOf([&] { drives.toHost("E:\\Proyectos"); }), err::kPathNotFound);
    EXPECT_EQ(failureOf([&] { drives.currentFolder('e'); }), err::kPathNotFound);
    EXPECT_EQ(failureOf([&] { drives.setStartDrive('e'); }), err::kPathNotFound);
    EXPECT_EQ(failureOf([&] { drives.setCurrentFolder('c', "C:\\NoExiste"); }), err::kPathNotFound);
    EXPECT_EQ(failureOf([&] { drives.setCurrentFolder('c', "C:\\Proyectos\\Ventas\\Ventas.vbp"); }),
              err::kPathNotFound);
    EXPECT_EQ(failureOf([&] { drives.setCurrentFolder('c', "D:\\Copias"); }), err::kPathNotFound);
    EXPECT_EQ(failureOf([&] { drives.map('1', other.path()); }), err::kInvalidCall);
    EXPECT_EQ(drives.currentFolder('c'), "c:\\");
}

TEST_F(Drives, TheStartDriveTakesPathsWithoutALetter) {
    drives.setCurrentFolder('d', "d:\\Copias");
    drives.setStartDrive('D');
    EXPECT_EQ(drives.startDrive(), 'd');
    EXPECT_TRUE(std::filesystem::equivalent(drives.toHost("."), other / "Copias"));
    EXPECT_TRUE(std::filesystem::equivalent(drives.toHost("\\"), other.path()));
}

}  // namespace
}  // namespace morvane::testing

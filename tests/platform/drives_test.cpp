// Drive letters over host folders: program paths to host paths and back,
// and the table that the program starts with.
#include "platform/drives.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

#include "case_names.h"
#include "platform/failure.h"
#include "support/temp_drive.h"

namespace fs = std::filesystem;

namespace morvane {
namespace {

using testing::TempDrive;
using testing::TempFolder;
using testing::writeBytes;

int failureNumber(const auto& action) {
    try {
        action();
    } catch (const Failure& f) {
        return f.number();
    }
    return 0;
}

TEST(DriveTable, MapsLettersInEitherCase) {
    TempFolder one, two;
    DriveTable drives;
    drives.map('D', one.path());
    drives.map('c', two.path());
    drives.map('z', "/");
    EXPECT_EQ(drives.letters(), (std::vector<char>{'c', 'd', 'z'}));
    EXPECT_TRUE(drives.hasDrive('C'));
    EXPECT_FALSE(drives.hasDrive('e'));
    EXPECT_EQ(drives.hostFolder('d'), fs::canonical(one.path()));
    EXPECT_EQ(drives.hostFolder('Z'), fs::path("/"));
    // A freshly mapped drive stands at its root.
    EXPECT_EQ(drives.currentFolder('D'), "d:\\");
    EXPECT_EQ(failureNumber([&] { drives.map('1', one.path()); }), err::kInvalidCall);
    EXPECT_EQ(failureNumber([&] { drives.currentFolder('e'); }), err::kPathNotFound);
    EXPECT_EQ(failureNumber([&] { drives.setStartDrive('e'); }), err::kPathNotFound);
}

// A drive holding "Proyectos" with two spellings of one project name, a
// folder of Spanish and Japanese names, and a file where a folder might be.
class Resolution : public ::testing::Test {
  protected:
    void SetUp() override {
        writeBytes(drive.host("Proyectos/Ventas.vbp"), "a");
        writeBytes(drive.host("Proyectos/VENTAS.vbp"), "b");
        writeBytes(drive.host("Proyectos/Compras.vbp"), "c");
        writeBytes(drive.host("Año/日本語.vbp"), "d");
        writeBytes(drive.host("archivo.txt"), "e");
    }
    TempDrive drive;
};

struct Resolved {
    const char* programPath;
    const char* hostRelative;  // relative to the drive's root; "" for the root
};

// Names the case in test listings and failure messages.
void PrintTo(const Resolved& c, std::ostream* out) {
    std::ostringstream text;
    text << c.programPath;
    *out << testing::caseName(text.str());
}

class Resolutions : public Resolution, public ::testing::WithParamInterface<Resolved> {};

TEST_P(Resolutions, ProgramPathFindsItsHostPath) {
    const Resolved& c = GetParam();
    const fs::path expected =
        *c.hostRelative ? drive.root() / fs::path(c.hostRelative) : drive.root();
    EXPECT_EQ(drive.drives().toHost(c.programPath).lexically_normal(), expected.lexically_normal())
        << c.programPath;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Resolutions,
    ::testing::Values(
        Resolved{"C:\\Proyectos\\Ventas.vbp", "Proyectos/Ventas.vbp"},  // exact spelling first
        Resolved{"C:\\proyectos\\VENTAS.vbp", "Proyectos/VENTAS.vbp"},
        // No exact spelling: the first case variant in byte order, every time.
        Resolved{"c:\\PROYECTOS\\ventas.VBP", "Proyectos/VENTAS.vbp"},
        Resolved{"C:\\PROYECTOS\\compras.VBP", "Proyectos/Compras.vbp"},
        Resolved{"C:/proyectos/compras.vbp", "Proyectos/Compras.vbp"},
        Resolved{"C:\\Proyectos/Compras.vbp", "Proyectos/Compras.vbp"},
        Resolved{"Proyectos\\Compras.vbp", "Proyectos/Compras.vbp"},  // start drive's folder
        Resolved{"c:Proyectos\\Compras.vbp", "Proyectos/Compras.vbp"},
        Resolved{"\\Proyectos\\Compras.vbp", "Proyectos/Compras.vbp"},
        Resolved{"C:\\Proyectos\\.\\..\\Proyectos\\Compras.vbp", "Proyectos/Compras.vbp"},
        Resolved{"C:\\..\\..\\Proyectos\\Compras.vbp", "Proyectos/Compras.vbp"},  // never above
        Resolved{"C:\\AÑO\\日本語.VBP", "Año/日本語.vbp"},
        Resolved{"C:\\Proyectos\\Nuevo.vbp", "Proyectos/Nuevo.vbp"},  // missing: as given
        Resolved{"C:\\FALTA\\Sub\\x.vbp", "FALTA/Sub/x.vbp"},
        Resolved{"C:\\ARCHIVO.TXT\\x.vbp", "archivo.txt/x.vbp"}, Resolved{"C:\\", ""},
        Resolved{"c:", ""}, Resolved{"C:\\Proyectos\\", "Proyectos"}));

TEST_F(Resolution, UnmappedDriveIsPathNotFound) {
    EXPECT_EQ(failureNumber([&] { drive.drives().toHost("Q:\\x.vbp"); }), err::kPathNotFound);
}

TEST_F(Resolution, CurrentFolderTakesTheStoredSpellingAndServesRelativePaths) {
    DriveTable& drives = drive.drives();
    drives.setCurrentFolder('c', "C:\\PROYECTOS");
    EXPECT_EQ(drives.currentFolder('C'), "c:\\Proyectos");
    EXPECT_EQ(drives.toHost("Compras.vbp"), drive.root() / "Proyectos" / "Compras.vbp");
    EXPECT_EQ(drives.toHost("c:compras.vbp"), drive.root() / "Proyectos" / "Compras.vbp");
    EXPECT_EQ(drives.toHost("c:\\archivo.txt"), drive.root() / "archivo.txt");
    drives.setCurrentFolder('c', "..\\año");
    EXPECT_EQ(drives.currentFolder('c'), "c:\\Año");

    EXPECT_EQ(failureNumber([&] { drives.setCurrentFolder('c', "C:\\Falta"); }),
              err::kPathNotFound);
    EXPECT_EQ(failureNumber([&] { drives.setCurrentFolder('c', "C:\\archivo.txt"); }),
              err::kPathNotFound);
    EXPECT_EQ(failureNumber([&] { drives.setCurrentFolder('c', "D:\\"); }), err::kPathNotFound);
    EXPECT_EQ(drives.currentFolder('c'), "c:\\Año");  // a refused change leaves it
}

struct Program {
    const char* hostRelative;  // relative to the temporary folder
    const char* programPath;
};

// Names the case in test listings and failure messages.
void PrintTo(const Program& c, std::ostream* out) {
    *out << testing::caseName(*c.hostRelative ? c.hostRelative : "(root)");
}

class ProgramPaths : public ::testing::TestWithParam<Program> {
  protected:
    ProgramPaths() {
        fs::create_directories(folder / "Proyectos" / "Sub");
        drives.map('c', folder.path());
        drives.map('d', folder / "Proyectos");
        drives.map('z', "/");
    }
    TempFolder folder;
    DriveTable drives;
};

TEST_P(ProgramPaths, TheClosestDriveNamesAHostPath) {
    const Program& c = GetParam();
    const fs::path host = *c.hostRelative ? folder / c.hostRelative : folder.path();
    EXPECT_EQ(drives.toProgram(host), c.programPath);
}

INSTANTIATE_TEST_SUITE_P(Paths, ProgramPaths,
                         ::testing::Values(Program{"", "c:\\"}, Program{"Otro.vbp", "c:\\Otro.vbp"},
                                           Program{"Proyectos", "d:\\"},
                                           Program{"Proyectos/Sub/a.vbp", "d:\\Sub\\a.vbp"},
                                           Program{"Proyectos/../b.vbp", "c:\\b.vbp"}));

TEST(DriveTable, HostPathsOutsideEveryDrive) {
    TempFolder folder;
    DriveTable drives;
    drives.map('c', folder.path());
    EXPECT_EQ(failureNumber([&] { drives.toProgram("/etc/passwd"); }), err::kPathNotFound);
    drives.map('z', "/");
    EXPECT_EQ(drives.toProgram("/etc/passwd"), "z:\\etc\\passwd");
    EXPECT_EQ(drives.toProgram("/"), "z:\\");
}

// Sets the process's environment and current folder for one test and puts
// them back afterwards.
class HostState {
  public:
    HostState() : cwd_(fs::current_path()), prefix_(get("WINEPREFIX")), home_(get("HOME")) {}
    ~HostState() {
        fs::current_path(cwd_);
        put("WINEPREFIX", prefix_);
        put("HOME", home_);
    }
    static void put(const char* name, const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }

  private:
    static std::optional<std::string> get(const char* name) {
        const char* v = std::getenv(name);
        return v ? std::optional<std::string>(v) : std::nullopt;
    }
    fs::path cwd_;
    std::optional<std::string> prefix_, home_;
};

// A Wine prefix as Wine lays it out: dosdevices holds one link per drive
// (relative or absolute), device links named with a double colon, and
// sometimes a link whose target has gone.
class WinePrefix : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix = folder / "prefijo";
        fs::create_directories(prefix / "drive_c" / "Proyectos" / "Año");
        fs::create_directories(folder / "datos");
        fs::create_directories(prefix / "dosdevices");
        fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
        fs::create_directory_symlink(folder / "datos", prefix / "dosdevices" / "d:");
        fs::create_directory_symlink(folder / "no-existe", prefix / "dosdevices" / "e:");
        fs::create_symlink("/dev/null", prefix / "dosdevices" / "d::");
        fs::create_directory_symlink("/", prefix / "dosdevices" / "z:");
    }
    HostState state;
    TempFolder folder;
    fs::path prefix;
};

TEST_F(WinePrefix, DrivesOfThePrefixAndTheStartFolder) {
    HostState::put("WINEPREFIX", prefix.string());
    fs::current_path(prefix / "drive_c" / "Proyectos" / "Año");
    const DriveTable drives = DriveTable::fromHost();
    EXPECT_EQ(drives.letters(), (std::vector<char>{'c', 'd', 'z'}));
    EXPECT_EQ(drives.hostFolder('c'), fs::canonical(prefix / "drive_c"));
    EXPECT_EQ(drives.hostFolder('d'), fs::canonical(folder / "datos"));
    EXPECT_EQ(drives.hostFolder('z'), fs::path("/"));
    EXPECT_EQ(drives.startDrive(), 'c');
    EXPECT_EQ(drives.currentFolder('c'), "c:\\Proyectos\\Año");
    EXPECT_EQ(drives.currentFolder('d'), "d:\\");
    EXPECT_EQ(drives.currentFolder('z'), "z:\\");
}

TEST_F(WinePrefix, StartFolderOnAnotherDrive) {
    HostState::put("WINEPREFIX", prefix.string());
    fs::current_path(folder / "datos");
    const DriveTable drives = DriveTable::fromHost();
    EXPECT_EQ(drives.startDrive(), 'd');
    EXPECT_EQ(drives.currentFolder('d'), "d:\\");
    EXPECT_EQ(drives.currentFolder('c'), "c:\\");
}

TEST_F(WinePrefix, HomePrefixWhenNoPrefixIsNamed) {
    fs::rename(prefix, folder / ".wine");
    HostState::put("WINEPREFIX", std::nullopt);
    HostState::put("HOME", folder.path().string());
    fs::current_path(folder / ".wine" / "drive_c");
    const DriveTable drives = DriveTable::fromHost();
    EXPECT_EQ(drives.letters(), (std::vector<char>{'c', 'd', 'z'}));
    EXPECT_EQ(drives.startDrive(), 'c');
    EXPECT_EQ(drives.currentFolder('c'), "c:\\");
}

TEST_F(WinePrefix, WithoutAPrefixOnlyTheHostRoot) {
    HostState::put("WINEPREFIX", (folder / "sin-prefijo").string());
    fs::current_path(folder / "datos");
    const DriveTable drives = DriveTable::fromHost();
    EXPECT_EQ(drives.letters(), (std::vector<char>{'z'}));
    EXPECT_EQ(drives.startDrive(), 'z');
    EXPECT_EQ(drives.currentFolder('z'), drives.toProgram(fs::canonical(folder / "datos")));
    EXPECT_EQ(drives.toHost(drives.currentFolder('z')), fs::canonical(folder / "datos"));
}

}  // namespace
}  // namespace morvane

// What only the Windows host has: names that match through their 8.3 short
// names, files that another program holds open, device names, paths longer
// than 260 characters and read-only files.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "contract/host_folder.h"
#include "platform/failure.h"
#include "platform/win/drive_caption.h"
#include "run/controller.h"
#include "run/run_fixture.h"

namespace morvane::testing {
namespace {

// Another program's handle on a file, opened without sharing, until released.
class HeldOpen {
  public:
    explicit HeldOpen(const std::filesystem::path& file)
        : h_(::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr)) {
        if (h_ == INVALID_HANDLE_VALUE) ADD_FAILURE() << "cannot hold " << file;
    }
    ~HeldOpen() { release(); }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    void release() {
        if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE h_;
};

// The names that Windows' own pattern matching gives for a pattern.
std::vector<std::wstring> windowsMatches(const std::filesystem::path& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    const HANDLE h = ::FindFirstFileW(pattern.c_str(), &entry);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        names.emplace_back(entry.cFileName);
    } while (::FindNextFileW(h, &entry));
    ::FindClose(h);
    return names;
}

class WindowsHost : public ::testing::Test {
  protected:
    HostFolder folder;
    FileServices& files = folder.files;

    std::vector<std::string> list(const std::string& pattern, int attributes = attr::kNormal) {
        return listNames(files, pattern, attributes);
    }
};

TEST_F(WindowsHost, ShortNamesDoNotSlipIntoTheListing) {
    for (const char* name : {"Ventas.vbp", "Ventas.vbproj", "Ventas.vbp~", "X.VBPBAK"}) {
        folder.make(std::string("Proyectos/") + name, "Type=Exe\r\n");
    }
    // Windows itself matches the pattern against the short names as well.
    const auto naive = windowsMatches(folder.host("Proyectos") / L"*.vbp");
    EXPECT_GT(naive.size(), 1u) << "this volume gives no short names: the case is not shown here";
    EXPECT_EQ(list(folder.program("Proyectos/*.vbp")), std::vector<std::string>{"Ventas.vbp"});
    // A short name given as a plain name names no listed file either.
    wchar_t shortName[MAX_PATH] = {};
    ::GetShortPathNameW((folder.host("Proyectos") / L"Ventas.vbproj").c_str(), shortName, MAX_PATH);
    const std::string alias = utf8(std::filesystem::path(shortName).filename());
    ASSERT_FALSE(alias.empty());
    if (alias != "Ventas.vbproj") {
        EXPECT_EQ(list(folder.program("Proyectos/" + alias)), std::vector<std::string>{});
    }
}

TEST_F(WindowsHost, HiddenAndSystemFilesFollowTheAttributeSelection) {
    folder.make("oculto.vbp", "x");
    folder.make("sistema.vbp", "x");
    folder.make("normal.vbp", "x");
    ::SetFileAttributesW(folder.host("oculto.vbp").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW(folder.host("sistema.vbp").c_str(), FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(list(folder.program("*.vbp")), std::vector<std::string>{"normal.vbp"});
    EXPECT_EQ(list(folder.program("*.vbp"), attr::kArchive),
              std::vector<std::string>{"normal.vbp"});
    EXPECT_EQ(list(folder.program("*.vbp"), 2),
              (std::vector<std::string>{"normal.vbp", "oculto.vbp"}));
    EXPECT_EQ(list(folder.program("*.vbp"), 4),
              (std::vector<std::string>{"normal.vbp", "sistema.vbp"}));
    EXPECT_EQ(list(folder.program("oculto.vbp")), std::vector<std::string>{});
    EXPECT_EQ(list(folder.program("oculto.vbp"), 2), std::vector<std::string>{"oculto.vbp"});
}

TEST_F(WindowsHost, AFileHeldByAnotherProgramIsRefusedUntilReleased) {
    folder.make("Ventas.vbp", "Type=Exe\r\n");
    HeldOpen other(folder.host("Ventas.vbp"));
    EXPECT_EQ(failureOf([&] { files.openForInput(folder.program("Ventas.vbp"), 1); }),
              err::kPermissionDenied);
    EXPECT_EQ(failureOf([&] { files.openForOutput(folder.program("Ventas.vbp"), 1); }),
              err::kPermissionDenied);
    EXPECT_EQ(failureOf([&] { files.kill(folder.program("Ventas.vbp")); }), err::kPermissionDenied);
    EXPECT_EQ(failureOf([&] {
                  folder.components.createFileSystemObject()->OpenTextFile(
                      folder.program("Ventas.vbp"), iomode::kForReading);
              }),
              err::kPermissionDenied);
    EXPECT_FALSE(files.isOpen(1));
    other.release();
    EXPECT_EQ(folder.read("Ventas.vbp"), "Type=Exe\r\n");
    files.openForInput(folder.program("Ventas.vbp"), 1);
    EXPECT_EQ(files.lineInput(1), "Type=Exe");
    files.close(1);
}

TEST(WindowsHostRun, ASearchRetriedAfterTheOtherProgramLetsGoFindsTheText) {
    RunFixture f;
    f.addProject("Ventas.vbp", "Type=Exe\r\nName=\"Ventas\"\r\n");
    f.form.opcion = 3;
    f.form.buscar = "ventas";
    auto other = std::make_unique<HeldOpen>(f.hostOf("Ventas.vbp"));
    // The user closes the other program while the failure box is up.
    f.toolkit.beforeAnswer = [&](const Box& box) {
        if (box.style == mb::kAbortRetryIgnoreCritical) other->release();
    };
    f.toolkit.answers = {mb::kRetry};

    CmdOK_Click(f.sv);

    EXPECT_EQ(f.toolkit.boxes,
              (std::vector<Box>{{"Permiso denegado", mb::kAbortRetryIgnoreCritical, std::nullopt},
                                finalizadoBox()}));
    EXPECT_EQ(f.form.marks(), std::vector<bool>{true});
}

// A run of search and replace of Ventas by Facturas on C:\\Proyectos\\Ventas.vbp.
void prepareReplace(RunFixture& f) {
    f.addProject("Ventas.vbp", "Name=\"Ventas\"\r\n", true);
    f.form.dir = "C:\\Proyectos";
    f.form.opcion = 1;
    f.form.buscar = "Ventas";
    f.form.reemplazar = "Facturas";
}

TEST(WindowsHostRun, AReplaceRetriedAfterTheOtherProgramLetsGoRewritesTheProject) {
    RunFixture f;
    prepareReplace(f);
    auto other = std::make_unique<HeldOpen>(f.hostOf("Ventas.vbp"));
    int failureBoxes = 0;
    f.toolkit.beforeAnswer = [&](const Box& box) {
        if (box.style == mb::kAbortRetryIgnoreCritical && ++failureBoxes == 1) other->release();
    };
    f.toolkit.answers = {mb::kYes, mb::kRetry};

    CmdOK_Click(f.sv);

    EXPECT_EQ(failureBoxes, 1);
    EXPECT_EQ(f.toolkit.boxes.back(), finalizadoBox());
    EXPECT_EQ(readBytes(f.hostOf("Ventas.vbp")), "Name=\"Facturas\"\r\n");
    EXPECT_EQ(readBytes(f.hostOf("Ventas.OLD")), "Name=\"Ventas\"\r\n");
}

struct DeviceCase {
    const char* label;
    std::string name;
};

void PrintTo(const DeviceCase& c, std::ostream* os) {
    *os << c.label;
}

class DeviceName : public WindowsHost, public ::testing::WithParamInterface<DeviceCase> {};

TEST_P(DeviceName, IsNeverOpenedAsAFile) {
    const std::string name = folder.program(GetParam().name);
    EXPECT_EQ(failureOf([&] { files.openForOutput(name, 1); }), err::kBadFileNumber);
    EXPECT_EQ(failureOf([&] { files.openForInput(name, 1); }), err::kBadFileNumber);
    EXPECT_EQ(failureOf([&] {
                  folder.components.createFileSystemObject()->OpenTextFile(name,
                                                                           iomode::kForReading);
              }),
              err::kBadFileNumber);
    EXPECT_FALSE(files.isOpen(1));
    EXPECT_EQ(folder.names(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Windows, DeviceName,
                         ::testing::Values(DeviceCase{"Con", "CON"},
                                           DeviceCase{"NulWithExtension", "nul.vbG"},
                                           DeviceCase{"Com1", "Com1.txt"},
                                           DeviceCase{"Lpt9", "lpt9"},
                                           DeviceCase{"AuxWithSpaces", "AUX  .vbp"},
                                           DeviceCase{"TrailingDot", "Ventas.vbp."},
                                           DeviceCase{"TrailingSpace", "Ventas.vbp "}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(WindowsHost, PathsLongerThan260CharactersWork) {
    std::string rel;
    for (int i = 0; i < 8; ++i)
        rel += "Carpeta con un nombre bastante largo " + std::to_string(i) + "/";
    folder.makeFolder(rel);
    const std::string file = rel + "Proyecto de ventas ñ.vbp";
    ASSERT_GT(folder.program(file).size(), 300u);
    files.openForOutput(folder.program(file), 1);
    files.printLine(1, "Type=Exe");
    files.close(1);
    EXPECT_EQ(list(folder.program(rel + "*.vbp")),
              std::vector<std::string>{"Proyecto de ventas ñ.vbp"});
    files.openForInput(folder.program(file), 2);
    EXPECT_EQ(files.lineInput(2), "Type=Exe");
    files.close(2);
    auto stream = folder.components.createFileSystemObject()->OpenTextFile(folder.program(file),
                                                                           iomode::kForReading);
    EXPECT_EQ(stream->ReadAll(), "Type=Exe\r\n");
    stream->Close();
    files.rename(folder.program(file), folder.program(rel + "Proyecto.OLD"));
    EXPECT_EQ(list(folder.program(rel + "*")), std::vector<std::string>{"Proyecto.OLD"});
    files.kill(folder.program(rel + "Proyecto.OLD"));
    EXPECT_EQ(list(folder.program(rel + "*")), std::vector<std::string>{});
    // The temporary folder's own clean-up cannot reach that deep.
    std::string folders = rel;
    while (!folders.empty()) {
        folders.pop_back();
        EXPECT_TRUE(::RemoveDirectoryW(
            (L"\\\\?\\" + folder.host(folders).lexically_normal().native()).c_str()))
            << ::GetLastError();
        folders.erase(folders.find_last_of('/') + 1);
    }
    EXPECT_EQ(folder.names(), std::vector<std::string>{});
}

class ReadOnlyProject : public WindowsHost {
  protected:
    void SetUp() override {
        folder.make("Ventas.vbp", kContent);
        ::SetFileAttributesW(folder.host("Ventas.vbp").c_str(), FILE_ATTRIBUTE_READONLY);
    }
    void TearDown() override {
        // The temporary folder can only be removed with the file writable.
        for (const auto& entry : std::filesystem::directory_iterator(folder.drive.root())) {
            ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
    }
    static constexpr const char* kContent = "Type=Exe\r\nName=\"Ventas\"\r\n";
};

TEST_F(ReadOnlyProject, IsNeitherEmptiedDeletedNorRenamed) {
    EXPECT_EQ(failureOf([&] { files.openForOutput(folder.program("Ventas.vbp"), 1); }),
              err::kPermissionDenied);
    EXPECT_FALSE(files.isOpen(1));
    EXPECT_EQ(failureOf([&] { files.kill(folder.program("Ventas.vbp")); }), err::kPermissionDenied);
    EXPECT_EQ(failureOf([&] {
                  files.rename(folder.program("Ventas.vbp"), folder.program("Ventas.OLD"));
              }),
              err::kPermissionDenied);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"Ventas.vbp"});
    EXPECT_EQ(folder.read("Ventas.vbp"), kContent);
    // Reading it is fine.
    files.openForInput(folder.program("Ventas.vbp"), 1);
    EXPECT_EQ(files.lineInput(1), "Type=Exe");
    files.close(1);
}

// A search and replace on a read-only project: the failure is shown, the
// project keeps its content and its attribute, and the rewritten text stays
// in the temporary file beside it.
TEST(WindowsHostRun, AReplaceLeavesAReadOnlyProjectAsItWas) {
    RunFixture f;
    prepareReplace(f);
    const std::filesystem::path project = f.hostOf("Ventas.vbp");
    ::SetFileAttributesW(project.c_str(), FILE_ATTRIBUTE_READONLY);
    f.toolkit.answers = {mb::kYes, mb::kIgnore, mb::kIgnore};

    CmdOK_Click(f.sv);

    ASSERT_EQ(f.toolkit.boxes.size(), 4u);
    EXPECT_EQ(f.toolkit.boxes[1],
              (Box{"Permiso denegado", mb::kAbortRetryIgnoreCritical, std::nullopt}));
    EXPECT_EQ(f.toolkit.boxes[2],
              (Box{"El archivo ya existe", mb::kAbortRetryIgnoreCritical, std::nullopt}));
    EXPECT_EQ(f.toolkit.boxes[3], finalizadoBox());
    EXPECT_EQ(readBytes(project), "Name=\"Ventas\"\r\n");
    EXPECT_NE(::GetFileAttributesW(project.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(readBytes(f.hostOf("Ventas.NVO")), "Name=\"Facturas\"\r\n");
    EXPECT_FALSE(std::filesystem::exists(f.hostOf("Ventas.OLD")));
    ::SetFileAttributesW(project.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The machine's own drives, each with the current folder that Windows keeps
// for it.
TEST(WindowsDrives, TheTableHoldsTheMachinesDrivesWithTheirCurrentFolders) {
    wchar_t before[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, before);
    wchar_t windows[MAX_PATH];
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    ASSERT_TRUE(::SetCurrentDirectoryW(windows));
    // Windows remembers the current folder of a drive the process is not on.
    ::SetEnvironmentVariableW(L"=Z:", L"Z:\\tmp");

    const DriveTable drives = DriveTable::fromHost();
    ::SetCurrentDirectoryW(before);

    const DWORD mask = ::GetLogicalDrives();
    std::vector<char> expected;
    for (int i = 0; i < 26; ++i) {
        if (mask & (1u << i)) expected.push_back(static_cast<char>('a' + i));
    }
    EXPECT_EQ(drives.letters(), expected);
    const char start = static_cast<char>(std::tolower(static_cast<unsigned char>(windows[0])));
    EXPECT_EQ(drives.startDrive(), start);
    std::string current = drives.currentFolder(start);
    std::string wanted = utf8(std::filesystem::path(windows));
    wanted[0] = start;
    EXPECT_EQ(current, wanted);
    EXPECT_EQ(drives.hostFolder(start),
              std::filesystem::path(std::wstring{windows[0], L':', L'\\'}));
    if (drives.hasDrive('z')) EXPECT_EQ(drives.currentFolder('z'), "z:\\tmp");
    // A program path is the host path itself.
    EXPECT_EQ(drives.toHost(wanted + "\\win.ini"), std::filesystem::path(windows) / L"win.ini");
}

TEST(WindowsDrives, CaptionsNameTheLetterAndTheLabelOrShare) {
    const DriveTable drives = DriveTable::fromHost();
    for (char letter : drives.letters()) {
        const std::string caption = driveCaption(letter);
        SCOPED_TRACE(caption);
        ASSERT_GE(caption.size(), 2u);
        EXPECT_EQ(caption.substr(0, 2), std::string({letter, ':'}));
        wchar_t label[MAX_PATH + 1] = {};
        const wchar_t root[] = {static_cast<wchar_t>(std::toupper(letter)), L':', L'\\', 0};
        if (::GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr,
                                    0) &&
            label[0] != 0) {
            EXPECT_EQ(caption, std::string({letter, ':'}) + " [" + utf8(label) + "]");
        } else if (caption.size() > 2) {
            EXPECT_EQ(caption.substr(2, 2), " [");
            EXPECT_EQ(caption.back(), ']');
        }
    }
}

// The program is found as Windows finds one: `.exe` added, the current
// folder before PATH.
TEST(WindowsProcesses, AProgramInTheCurrentFolderIsFoundWithExeAdded) {
    TempFolder folder;
    std::filesystem::copy_file(childFolder() / "contract_child.exe", folder / "vb6.exe");
    wchar_t before[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.path().c_str()));
    HostProcesses processes;
    const std::filesystem::path record = folder / "record.txt";
    const double id =
        processes.Shell("vb6 " + utf8(record) + " 0 9 /m C:\\Proyectos\\Ventas.vbp", 1);
    ::SetCurrentDirectoryW(before);
    const ProcessHandle handle =
        processes.OpenProcess(kProcessQueryInformation, false, static_cast<std::uint32_t>(id));
    ASSERT_NE(handle, 0);
    std::uint32_t code = kStillActive;
    for (int i = 0; i < 1000 && code == kStillActive; ++i) {
        processes.GetExitCodeProcess(handle, code);
        processes.Sleep(10);
    }
    EXPECT_EQ(code, 9u);
    EXPECT_TRUE(processes.CloseHandle(handle));
    EXPECT_EQ(readBytes(record), "/m\nC:\\Proyectos\\Ventas.vbp\n");
}

}  // namespace
}  // namespace morvane::testing

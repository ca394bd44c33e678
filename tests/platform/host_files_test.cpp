// File numbers, opening, deleting and renaming files on real temporary
// folders, and the failures each one reports.
#include "platform/host_files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>

#include "case_names.h"
#include "platform/failure.h"
#include "support/temp_drive.h"
#include "unprivileged.h"

namespace fs = std::filesystem;

namespace morvane {
namespace {

using testing::readBytes;
using testing::TempDrive;
using testing::writeBytes;

int failureNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const Failure& f) {
        EXPECT_EQ(f.description().empty(), false);
        return f.number();
    }
    return 0;
}

class HostFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        writeBytes(drive.host("Proyectos/Ventas.vbp"), "Type=Exe\r\n");
        writeBytes(drive.host("Proyectos/Ventas.OLD"), "viejo\r\n");
        writeBytes(drive.host("archivo.txt"), "x");
        fs::create_directories(drive.host("Carpeta"));
    }
    TempDrive drive;
    HostFileServices files{drive.drives()};
};

TEST_F(HostFiles, FreeFileIsTheLowestNumberNotInUse) {
    EXPECT_EQ(files.freeFile(), 1);
    EXPECT_EQ(files.freeFile(), 1);  // asking does not take it
    files.openForInput("C:\\Proyectos\\Ventas.vbp", 1);
    files.openForInput("C:\\Proyectos\\Ventas.vbp", 2);
    files.openForOutput("C:\\Nuevo.txt", 4);
    EXPECT_EQ(files.freeFile(), 3);
    EXPECT_TRUE(files.isOpen(2));
    files.close(1);
    EXPECT_FALSE(files.isOpen(1));
    EXPECT_EQ(files.freeFile(), 1);
    files.close(2);
    files.close(4);
}

TEST_F(HostFiles, NumbersRunFrom1To255) {
    for (int n = 1; n <= 255; ++n) files.openForInput("C:\\archivo.txt", files.freeFile());
    EXPECT_TRUE(files.isOpen(255));
    EXPECT_EQ(failureNumber([&] { files.freeFile(); }), err::kTooManyFiles);
    files.close(200);
    EXPECT_EQ(files.freeFile(), 200);
}

// When the host runs out of descriptors before the pool runs out of numbers,
// the open fails as "too many files" and leaves the number free.
TEST_F(HostFiles, HostOutOfDescriptorsIsTooManyFiles) {
    fs::permissions(drive.root(), fs::perms::others_exec, fs::perm_options::add);
    const int result = testing::runUnprivileged([&] {
        const rlimit few{16, 16};
        if (::setrlimit(RLIMIT_NOFILE, &few) != 0) return 254;
        HostFileServices other(drive.drives());
        for (int n = 1; n <= HostFileServices::kMaxFileNumber; ++n) {
            try {
                other.openForInput("C:\\archivo.txt", n);
            } catch (const Failure& f) {
                return other.isOpen(n) ? 253 : f.number();
            }
        }
        return 0;
    });
    EXPECT_EQ(result, err::kTooManyFiles);
}

struct NumberMisuse {
    const char* name;
    std::function<void(FileServices&)> action;
    int number;
};

// Names the case in test listings and failure messages.
void PrintTo(const NumberMisuse& c, std::ostream* out) {
    std::ostringstream text;
    text << c.name;
    *out << testing::caseName(text.str());
}

class NumberMisuses : public HostFiles, public ::testing::WithParamInterface<NumberMisuse> {};

TEST_P(NumberMisuses, FailWithTheirNumber) {
    files.openForInput("C:\\archivo.txt", 1);
    files.openForOutput("C:\\salida.txt", 2);
    EXPECT_EQ(failureNumber([&] { GetParam().action(files); }), GetParam().number);
    EXPECT_TRUE(files.isOpen(1));
    EXPECT_TRUE(files.isOpen(2));
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumberMisuses,
    ::testing::Values(NumberMisuse{"OpenNumberZero",
                                   [](FileServices& f) { f.openForInput("C:\\archivo.txt", 0); },
                                   err::kBadFileNumber},
                      NumberMisuse{"OpenNumber256",
                                   [](FileServices& f) { f.openForOutput("C:\\otro.txt", 256); },
                                   err::kBadFileNumber},
                      NumberMisuse{"OpenANumberInUse",
                                   [](FileServices& f) { f.openForInput("C:\\archivo.txt", 1); },
                                   err::kFileAlreadyOpen},
                      NumberMisuse{"ReadANumberNotOpen", [](FileServices& f) { f.lineInput(3); },
                                   err::kBadFileNumber},
                      NumberMisuse{"EofOfANumberNotOpen", [](FileServices& f) { f.eof(300); },
                                   err::kBadFileNumber},
                      NumberMisuse{"CloseANumberNotOpen", [](FileServices& f) { f.close(3); },
                                   err::kBadFileNumber},
                      NumberMisuse{"WriteToAFileOpenForReading",
                                   [](FileServices& f) { f.printLine(1, "x"); }, err::kBadFileMode},
                      NumberMisuse{"ReadFromAFileOpenForWriting",
                                   [](FileServices& f) { f.lineInput(2); }, err::kBadFileMode}),
    [](const ::testing::TestParamInfo<NumberMisuse>& info) {
        return std::string(info.param.name);
    });

// One file under two numbers: reading twice is fine; emptying a file that is
// open, or reading one that is being written, is refused and harms nothing.
TEST_F(HostFiles, AFileOpenUnderOneNumberIsNotEmptiedUnderAnother) {
    files.openForInput("C:\\Proyectos\\Ventas.vbp", 1);
    files.openForInput("c:\\proyectos\\VENTAS.VBP", 2);
    EXPECT_EQ(files.lineInput(2), "Type=Exe");
    EXPECT_EQ(failureNumber([&] { files.openForOutput("C:\\PROYECTOS\\ventas.vbp", 3); }),
              err::kFileAlreadyOpen);
    EXPECT_FALSE(files.isOpen(3));
    EXPECT_EQ(files.lineInput(1), "Type=Exe");
    files.close(1);
    files.close(2);

    files.openForOutput("C:\\Proyectos\\Ventas.OLD", 1);
    EXPECT_EQ(failureNumber([&] { files.openForInput("C:\\Proyectos\\ventas.old", 2); }),
              err::kFileAlreadyOpen);
    EXPECT_EQ(failureNumber([&] { files.openForOutput("C:\\Proyectos\\VENTAS.OLD", 2); }),
              err::kFileAlreadyOpen);
    EXPECT_FALSE(files.isOpen(2));
    files.printLine(1, "nuevo");
    files.close(1);
    EXPECT_EQ(readBytes(drive.host("Proyectos/Ventas.OLD")), "nuevo\r\n");
    EXPECT_EQ(readBytes(drive.host("Proyectos/Ventas.vbp")), "Type=Exe\r\n");
}

struct OpenFailure {
    const char* name;
    std::string path;
    bool forOutput;
    int number;
};

// Names the case in test listings and failure messages.
void PrintTo(const OpenFailure& c, std::ostream* out) {
    std::ostringstream text;
    text << c.name;
    *out << testing::caseName(text.str());
}

class OpenFailures : public HostFiles, public ::testing::WithParamInterface<OpenFailure> {
  protected:
    OpenFailures() { drive.drives().map('z', "/"); }
};

TEST_P(OpenFailures, LeaveTheNumberFree) {
    const OpenFailure& c = GetParam();
    EXPECT_EQ(failureNumber([&] {
                  if (c.forOutput) {
                      files.openForOutput(c.path, 5);
                  } else {
                      files.openForInput(c.path, 5);
                  }
              }),
              c.number);
    EXPECT_FALSE(files.isOpen(5));
}

INSTANTIATE_TEST_SUITE_P(
    Table, OpenFailures,
    ::testing::Values(
        OpenFailure{"InputMissingFile", "C:\\Proyectos\\Falta.vbp", false, err::kFileNotFound},
        OpenFailure{"InputMissingFolder", "C:\\Falta\\Ventas.vbp", false, err::kPathNotFound},
        OpenFailure{"InputFolderIsAFile", "C:\\archivo.txt\\Ventas.vbp", false, err::kPathNotFound},
        OpenFailure{"InputIsAFolder", "C:\\Carpeta", false, err::kPathFileAccess},
        OpenFailure{"InputNameTooLong", "C:\\" + std::string(300, 'n') + ".vbp", false,
                    err::kPathFileAccess},
        OpenFailure{"OutputMissingFolder", "C:\\Falta\\Grupo.vbg", true, err::kPathNotFound},
        OpenFailure{"OutputFolderIsAFile", "C:\\archivo.txt\\Grupo.vbg", true, err::kPathNotFound},
        OpenFailure{"OutputIsAFolder", "C:\\Carpeta", true, err::kPathFileAccess},
        OpenFailure{"OutputNameTooLong", "C:\\" + std::string(300, 'n') + ".vbg", true,
                    err::kPathFileAccess},
        OpenFailure{"InputIsADevice", "Z:\\dev\\zero", false, err::kPathFileAccess},
        OpenFailure{"OutputIsADevice", "Z:\\dev\\null", true, err::kPathFileAccess}),
    [](const ::testing::TestParamInfo<OpenFailure>& info) { return std::string(info.param.name); });

TEST_F(HostFiles, OutputEmptiesTheFileInWhateverCaseItIsStored) {
    files.openForOutput("C:\\PROYECTOS\\ventas.VBP", 1);
    files.printLine(1, "Nuevo");
    files.close(1);
    EXPECT_EQ(readBytes(drive.host("Proyectos/Ventas.vbp")), "Nuevo\r\n");
    EXPECT_FALSE(fs::exists(drive.host("PROYECTOS")));
    EXPECT_EQ(
        std::distance(fs::directory_iterator(drive.host("Proyectos")), fs::directory_iterator()),
        2);
}

TEST_F(HostFiles, OutputOnALinkReplacesTheLinkAndLeavesItsTarget) {
    writeBytes(drive.host("destino.txt"), "no tocar");
    fs::create_symlink(drive.host("destino.txt"), drive.host("Proyectos/enlace.vbp"));
    fs::create_symlink(drive.host("no-existe.txt"), drive.host("Proyectos/roto.vbp"));
    for (const char* name : {"C:\\Proyectos\\enlace.vbp", "C:\\Proyectos\\roto.vbp"}) {
        files.openForOutput(name, 1);
        files.printLine(1, "propio");
        files.close(1);
    }
    for (const char* name : {"Proyectos/enlace.vbp", "Proyectos/roto.vbp"}) {
        EXPECT_FALSE(fs::is_symlink(drive.host(name))) << name;
        EXPECT_EQ(readBytes(drive.host(name)), "propio\r\n") << name;
    }
    EXPECT_EQ(readBytes(drive.host("destino.txt")), "no tocar");
    EXPECT_FALSE(fs::exists(drive.host("no-existe.txt")));
}

TEST_F(HostFiles, InputReadsThroughALinkToAFile) {
    fs::create_symlink("Ventas.vbp", drive.host("Proyectos/enlace.vbp"));
    files.openForInput("C:\\Proyectos\\ENLACE.vbp", 1);
    EXPECT_EQ(files.lineInput(1), "Type=Exe");
    files.close(1);
}

TEST_F(HostFiles, ClosedOutputIsOnDiskAndDestructionClosesTheRest) {
    {
        HostFileServices other(drive.drives());
        other.openForOutput("C:\\a.txt", 1);
        other.printLine(1, "uno");
        other.openForOutput("C:\\b.txt", 2);
        other.printLine(2, "dos");
        other.close(1);
        EXPECT_EQ(readBytes(drive.host("a.txt")), "uno\r\n");
    }
    EXPECT_EQ(readBytes(drive.host("b.txt")), "dos\r\n");
}

struct Deletion {
    const char* name;
    const char* path;
    int number;
};

// Names the case in test listings and failure messages.
void PrintTo(const Deletion& c, std::ostream* out) {
    std::ostringstream text;
    text << c.name;
    *out << testing::caseName(text.str());
}

class Deletions : public HostFiles, public ::testing::WithParamInterface<Deletion> {};

TEST_P(Deletions, ReportTheirFailure) {
    EXPECT_EQ(failureNumber([&] { files.kill(GetParam().path); }), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Deletions,
    ::testing::Values(Deletion{"MissingFile", "C:\\Proyectos\\Falta.OLD", err::kFileNotFound},
                      Deletion{"MissingFolder", "C:\\Falta\\Ventas.OLD", err::kPathNotFound},
                      Deletion{"FolderIsAFile", "C:\\archivo.txt\\x", err::kPathNotFound},
                      Deletion{"AFolder", "C:\\Carpeta", err::kPathFileAccess}),
    [](const ::testing::TestParamInfo<Deletion>& info) { return std::string(info.param.name); });

TEST_F(HostFiles, KillDeletesTheFileInAnyCaseAndALinkNotItsTarget) {
    files.kill("c:\\proyectos\\VENTAS.old");
    EXPECT_FALSE(fs::exists(drive.host("Proyectos/Ventas.OLD")));
    EXPECT_TRUE(fs::exists(drive.host("Proyectos/Ventas.vbp")));
    fs::create_symlink("Ventas.vbp", drive.host("Proyectos/enlace.vbp"));
    files.kill("C:\\Proyectos\\enlace.vbp");
    EXPECT_FALSE(fs::is_symlink(drive.host("Proyectos/enlace.vbp")));
    EXPECT_EQ(readBytes(drive.host("Proyectos/Ventas.vbp")), "Type=Exe\r\n");
}

TEST_F(HostFiles, RenameMovesTheFile) {
    files.rename("C:\\PROYECTOS\\ventas.vbp", "C:\\Proyectos\\Ventas.NVO");
    EXPECT_FALSE(fs::exists(drive.host("Proyectos/Ventas.vbp")));
    EXPECT_EQ(readBytes(drive.host("Proyectos/Ventas.NVO")), "Type=Exe\r\n");
    files.rename("C:\\Proyectos\\Ventas.NVO", "C:\\Carpeta\\Año.vbp");
    EXPECT_EQ(readBytes(drive.host("Carpeta/Año.vbp")), "Type=Exe\r\n");
}

struct Refused {
    const char* name;
    const char* from;
    const char* to;
    int number;
};

// Names the case in test listings and failure messages.
void PrintTo(const Refused& c, std::ostream* out) {
    std::ostringstream text;
    text << c.name;
    *out << testing::caseName(text.str());
}

class RefusedRenames : public HostFiles, public ::testing::WithParamInterface<Refused> {};

TEST_P(RefusedRenames, TouchNeitherFile) {
    const Refused& c = GetParam();
    EXPECT_EQ(failureNumber([&] { files.rename(c.from, c.to); }), c.number);
    EXPECT_EQ(readBytes(drive.host("Proyectos/Ventas.vbp")), "Type=Exe\r\n");
    EXPECT_EQ(readBytes(drive.host("Proyectos/Ventas.OLD")), "viejo\r\n");
    EXPECT_EQ(readBytes(drive.host("archivo.txt")), "x");
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedRenames,
    ::testing::Values(Refused{"TargetExists", "C:\\Proyectos\\Ventas.vbp",
                              "C:\\Proyectos\\Ventas.OLD", err::kFileExists},
                      Refused{"TargetExistsInOtherCase", "C:\\Proyectos\\Ventas.vbp",
                              "C:\\Proyectos\\VENTAS.old", err::kFileExists},
                      Refused{"TargetExistsInOtherFolderCase", "C:\\Proyectos\\Ventas.vbp",
                              "c:\\PROYECTOS\\ventas.OLD", err::kFileExists},
                      Refused{"TargetIsAFolder", "C:\\archivo.txt", "C:\\CARPETA",
                              err::kFileExists},
                      Refused{"SourceMissing", "C:\\Proyectos\\Falta.vbp",
                              "C:\\Proyectos\\Nuevo.vbp", err::kFileNotFound},
                      Refused{"SourceFolderMissing", "C:\\Falta\\Ventas.vbp",
                              "C:\\Proyectos\\Nuevo.vbp", err::kPathNotFound},
                      Refused{"TargetFolderMissing", "C:\\Proyectos\\Ventas.vbp",
                              "C:\\Falta\\Ventas.vbp", err::kPathNotFound}),
    [](const ::testing::TestParamInfo<Refused>& info) { return std::string(info.param.name); });

// A rename moves a name within one host file system; across two it fails
// as a rename to another drive, and the file stays where it was.
TEST_F(HostFiles, RenameToAnotherFileSystemIsRefused) {
    std::string tmpl = "/dev/shm/morvane-XXXXXX";
    if (::mkdtemp(tmpl.data()) == nullptr) GTEST_SKIP() << "no /dev/shm on this host";
    const fs::path other = tmpl;
    struct stat here, there;
    if (::stat(drive.root().c_str(), &here) != 0 || ::stat(other.c_str(), &there) != 0 ||
        here.st_dev == there.st_dev) {
        fs::remove_all(other);
        GTEST_SKIP() << "/dev/shm is on the same file system as the temporary folder";
    }
    drive.drives().map('d', other);
    const int number =
        failureNumber([&] { files.rename("C:\\Proyectos\\Ventas.vbp", "D:\\Ventas.vbp"); });
    const bool left = fs::exists(drive.host("Proyectos/Ventas.vbp"));
    const bool arrived = fs::exists(other / "Ventas.vbp");
    fs::remove_all(other);
    EXPECT_EQ(number, err::kRenameAcrossDrives);
    EXPECT_TRUE(left);
    EXPECT_FALSE(arrived);
}

TEST_F(HostFiles, RenameNeverReplacesALink) {
    fs::create_symlink("no-existe.txt", drive.host("Proyectos/roto.vbp"));
    EXPECT_EQ(failureNumber(
                  [&] { files.rename("C:\\Proyectos\\Ventas.vbp", "C:\\Proyectos\\roto.vbp"); }),
              err::kFileExists);
    EXPECT_TRUE(fs::is_symlink(drive.host("Proyectos/roto.vbp")));
    EXPECT_TRUE(fs::exists(drive.host("Proyectos/Ventas.vbp")));
}

TEST_F(HostFiles, WithoutPermissionTheFailureIsPermissionDenied) {
    fs::permissions(drive.root(), fs::perms::owner_all | fs::perms::others_exec |
                                      fs::perms::others_read | fs::perms::group_exec);
    // Closed to writing for the owner and the others alike (the test may run
    // as root, which then tries as "nobody").
    fs::permissions(drive.host("Proyectos"), fs::perms::owner_read | fs::perms::owner_exec |
                                                 fs::perms::others_exec | fs::perms::others_read);
    fs::permissions(drive.host("Proyectos/Ventas.vbp"), fs::perms::none);
    const auto unprivileged = [&](const std::function<void(FileServices&)>& action) {
        return testing::runUnprivileged([&] {
            HostFileServices other(drive.drives());
            try {
                action(other);
            } catch (const Failure& f) {
                return f.number();
            }
            return 0;
        });
    };
    EXPECT_EQ(unprivileged([](FileServices& f) { f.openForInput("C:\\Proyectos\\Ventas.vbp", 1); }),
              err::kPermissionDenied);
    EXPECT_EQ(unprivileged([](FileServices& f) { f.openForOutput("C:\\Proyectos\\Otro.vbp", 1); }),
              err::kPermissionDenied);
    EXPECT_EQ(unprivileged([](FileServices& f) { f.kill("C:\\Proyectos\\Ventas.OLD"); }),
              err::kPermissionDenied);
    EXPECT_EQ(unprivileged([](FileServices& f) {
                  f.rename("C:\\Proyectos\\Ventas.OLD", "C:\\Proyectos\\Otro.OLD");
              }),
              err::kPermissionDenied);
    EXPECT_TRUE(fs::exists(drive.host("Proyectos/Ventas.OLD")));
}

}  // namespace
}  // namespace morvane

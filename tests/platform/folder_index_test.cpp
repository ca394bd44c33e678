// Case-blind lookups in a folder that other programs change between them:
// every change is seen at once, whatever remembers the folder's names.
#include "platform/folder_index.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "case_names.h"
#include "platform/drives.h"
#include "platform/failure.h"
#include "platform/host_files.h"
#include "support/temp_drive.h"

namespace fs = std::filesystem;

namespace morvane {
namespace {

using testing::readBytes;
using testing::TempDrive;
using testing::TempFolder;
using testing::writeBytes;

// Runs a shell command in `folder`: a change made by another program.
void otherProgram(const fs::path& folder, const std::string& command) {
    const std::string line = "cd '" + folder.string() + "' && " + command;
    ASSERT_EQ(std::system(line.c_str()), 0) << line;
}

void touch(const fs::path& file) {
    std::ofstream(file).put('x');
}

// A drive whose folder "Proyectos" holds two projects, looked up through the
// drive table and the file services as the program does.
class ChangedFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        writeBytes(folder / "Ventas.vbp", "a");
        writeBytes(folder / "Compras.vbp", "b");
    }
    // The name a program path in "Proyectos" resolves to on the host.
    std::string resolved(const std::string& name) {
        return drive.drives().toHost("C:\\Proyectos\\" + name).filename().string();
    }
    bool indexed() { return FolderIndex::shared().holds(folder); }

    TempDrive drive;
    fs::path folder = drive.host("Proyectos");
    HostFileServices files{drive.drives()};
};

struct Change {
    const char* name;
    const char* command;   // run in "Proyectos" between the two lookups
    const char* lookedUp;  // the name as the program spells it
    const char* before;    // what it resolves to before the change
    const char* after;     // and after it
};

void PrintTo(const Change& c, std::ostream* out) {
    *out << c.name;
}

class ChangeByAnotherProgram : public ChangedFolder,
                               public ::testing::WithParamInterface<Change> {};

TEST_P(ChangeByAnotherProgram, IsSeenByTheNextLookup) {
    const Change& c = GetParam();
    EXPECT_EQ(resolved(c.lookedUp), c.before);
    EXPECT_TRUE(indexed());
    otherProgram(folder, c.command);
    EXPECT_EQ(resolved(c.lookedUp), c.after);
    EXPECT_TRUE(indexed());
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangeByAnotherProgram,
    ::testing::Values(
        Change{"Created", ": > Nuevo.vbp", "NUEVO.VBP", "NUEVO.VBP", "Nuevo.vbp"},
        Change{"Deleted", "rm Ventas.vbp", "VENTAS.VBP", "Ventas.vbp", "VENTAS.VBP"},
        Change{"RenamedToAnotherCase", "mv Ventas.vbp VENTAS.vbp", "ventas.VBP", "Ventas.vbp",
               "VENTAS.vbp"},
        Change{"RenamedAway", "mkdir Otra && mv Ventas.vbp Otra/", "VENTAS.VBP", "Ventas.vbp",
               "VENTAS.VBP"},
        Change{"RenamedInto", "mkdir ../Otra && : > ../Otra/Nuevo.vbp && mv ../Otra/Nuevo.vbp .",
               "nuevo.vbp", "nuevo.vbp", "Nuevo.vbp"},
        // "VENTAS.vbp" comes before "Ventas.vbp" in byte order.
        Change{"AnEarlierVariantAppears", ": > VENTAS.vbp", "ventas.vbp", "Ventas.vbp",
               "VENTAS.vbp"},
        Change{"TheFirstVariantGoes", ": > VENTAS.vbp && rm VENTAS.vbp", "ventas.vbp", "Ventas.vbp",
               "Ventas.vbp"},
        Change{"AccentedInAnotherCase", ": > AÑO.vbp", "año.VBP", "año.VBP", "AÑO.vbp"},
        Change{"AFolder", "mkdir Datos", "DATOS", "DATOS", "Datos"},
        Change{"HardLink", "ln Compras.vbp COPIA.vbp", "copia.vbp", "copia.vbp", "COPIA.vbp"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChangedFolder, QuickChangesInOneClockTickAreEachSeen) {
    // Hundreds of changes within a few milliseconds leave the folder's mtime
    // the same across many of them; each lookup still sees the last one.
    const std::vector<std::string> spellings = {"Cambio.vbp", "CAMBIO.vbp", "cambio.VBP",
                                                "CaMbIo.Vbp"};
    for (int i = 0; i < 400; ++i) {
        const std::string& name = spellings[i % spellings.size()];
        const std::string& next = spellings[(i + 1) % spellings.size()];
        touch(folder / name);
        ASSERT_EQ(resolved("cambio.vbp"), name) << i;
        fs::rename(folder / name, folder / next);
        ASSERT_EQ(resolved("CAMBIO.VBP"), next) << i;
        fs::remove(folder / next);
        ASSERT_EQ(resolved("Cambio.Vbp"), "Cambio.Vbp") << i;
    }
    EXPECT_TRUE(indexed());
}

TEST_F(ChangedFolder, AFolderPutInPlaceOfTheOneLookedUpIsReadAnew) {
    EXPECT_EQ(resolved("VENTAS.VBP"), "Ventas.vbp");
    fs::rename(folder, drive.host("Antes"));
    writeBytes(folder / "VENTAS.vbp", "nueva");
    EXPECT_EQ(resolved("ventas.vbp"), "VENTAS.vbp");
    EXPECT_EQ(resolved("COMPRAS.VBP"), "COMPRAS.VBP");
}

TEST(FolderReplaced, ThroughAParentThatWasRenamedIsReadAnew) {
    // Renaming the parent tells the folder nothing; the path now names
    // another folder, and that is what the lookup reads.
    TempDrive drive;
    writeBytes(drive.host("Base/Proyectos/Ventas.vbp"), "a");
    const auto resolved = [&](const std::string& name) {
        return drive.drives().toHost("C:\\Base\\Proyectos\\" + name).filename().string();
    };
    EXPECT_EQ(resolved("VENTAS.VBP"), "Ventas.vbp");
    fs::rename(drive.host("Base"), drive.host("Antes"));
    writeBytes(drive.host("Base/Proyectos/VENTAS.vbp"), "b");
    EXPECT_EQ(resolved("ventas.vbp"), "VENTAS.vbp");
    writeBytes(drive.host("Antes/Proyectos/Compras.vbp"), "c");
    EXPECT_EQ(resolved("COMPRAS.VBP"), "COMPRAS.VBP");
}

TEST_F(ChangedFolder, AStampThatMovedWithoutAReportDropsTheIndex) {
    EXPECT_EQ(resolved("VENTAS.VBP"), "Ventas.vbp");
    ASSERT_TRUE(indexed());
    // Setting the folder's times changes no name, and reports none.
    otherProgram(folder, "touch -m -d '2001-02-03 04:05:06' .");
    EXPECT_FALSE(indexed());
    EXPECT_EQ(resolved("VENTAS.VBP"), "Ventas.vbp");
    EXPECT_TRUE(indexed());
}

TEST_F(ChangedFolder, LookupsOfExistingNamesBuildNoIndex) {
    EXPECT_EQ(resolved("Ventas.vbp"), "Ventas.vbp");
    EXPECT_EQ(files.dir("C:\\Proyectos\\*.vbp", 0), "Ventas.vbp");
    EXPECT_FALSE(indexed());
}

TEST_F(ChangedFolder, TwinsAreFoundAsSoonAsTheyAppear) {
    EXPECT_EQ(files.caseVariants("C:\\Proyectos\\ventas.vbp"),
              (std::vector<std::string>{"Ventas.vbp"}));
    otherProgram(folder, ": > VENTAS.VBP && : > ventas.Vbp");
    EXPECT_EQ(files.caseVariants("C:\\Proyectos\\Ventas.vbp"),
              (std::vector<std::string>{"VENTAS.VBP", "Ventas.vbp", "ventas.Vbp"}));
    otherProgram(folder, "rm VENTAS.VBP");
    EXPECT_EQ(files.caseVariants("C:\\Proyectos\\VENTAS.VBP"),
              (std::vector<std::string>{"Ventas.vbp", "ventas.Vbp"}));
    EXPECT_TRUE(indexed());
}

TEST_F(ChangedFolder, ARenameNeverReplacesANameAnotherProgramJustMade) {
    EXPECT_EQ(resolved("VENTAS.OLD"), "VENTAS.OLD");
    otherProgram(folder, "printf viejo > ventas.old");
    try {
        files.rename("C:\\Proyectos\\Ventas.vbp", "C:\\Proyectos\\Ventas.OLD");
        ADD_FAILURE() << "the rename replaced ventas.old";
    } catch (const Failure& f) {
        EXPECT_EQ(f.number(), err::kFileExists);
    }
    EXPECT_EQ(readBytes(folder / "ventas.old"), "viejo");
    EXPECT_EQ(readBytes(folder / "Ventas.vbp"), "a");
}

TEST_F(ChangedFolder, OutputReplacesAFileAnotherProgramMadeInAnotherCase) {
    EXPECT_EQ(resolved("VENTAS.NVO"), "VENTAS.NVO");
    otherProgram(folder, "printf viejo > ventas.nvo");
    files.openForOutput("C:\\Proyectos\\VENTAS.NVO", 1);
    files.printLine(1, "nuevo");
    files.close(1);
    EXPECT_EQ(readBytes(folder / "ventas.nvo"), "nuevo\r\n");
    EXPECT_FALSE(fs::exists(folder / "VENTAS.NVO"));
}

// The kernel's queue of reports holds this many; past it, reports are lost.
long queueLimit() {
    std::ifstream in("/proc/sys/fs/inotify/max_queued_events");
    long limit = 0;
    in >> limit;
    return limit;
}

TEST_F(ChangedFolder, ReportsLostToAFullQueueDropTheIndex) {
    const long limit = queueLimit();
    if (limit <= 0 || limit > 1000000) GTEST_SKIP() << "queue limit " << limit;
    EXPECT_EQ(resolved("ULTIMO.VBP"), "ULTIMO.VBP");
    ASSERT_TRUE(indexed());
    // Each rename reports twice; the creation at the end is past the limit.
    touch(folder / "a");
    for (long i = 0; i < limit / 2 + 100; ++i) {
        fs::rename(folder / (i % 2 == 0 ? "a" : "b"), folder / (i % 2 == 0 ? "b" : "a"));
    }
    touch(folder / "Ultimo.vbp");
    EXPECT_EQ(resolved("ULTIMO.VBP"), "Ultimo.vbp");
    EXPECT_EQ(resolved("VENTAS.VBP"), "Ventas.vbp");
}

TEST(FolderIndexBounds, TheLeastRecentlyUsedFolderGivesWay) {
    TempFolder one, two, three;
    FolderIndex index(2);
    for (const auto* folder : {&one, &two, &three}) {
        touch(*folder / "Ventas.vbp");
        ASSERT_EQ(index.variants(folder->path(), "VENTAS.VBP"),
                  (std::vector<std::string>{"Ventas.vbp"}));
    }
    EXPECT_FALSE(index.holds(one.path()));
    EXPECT_TRUE(index.holds(two.path()));
    EXPECT_TRUE(index.holds(three.path()));
}

TEST(FolderIndexBounds, AFolderOfMoreNamesThanAllowedIsNotIndexed) {
    TempFolder folder;
    for (int i = 0; i < 20; ++i) touch(folder / ("n" + std::to_string(i)));
    FolderIndex index(4, 10);
    EXPECT_EQ(index.variants(folder.path(), "N1"), std::nullopt);
    EXPECT_FALSE(index.holds(folder.path()));
}

TEST(FolderIndexBounds, AFolderThatCannotBeReadIsNotIndexed) {
    FolderIndex index;
    EXPECT_EQ(index.variants("/nonexistent-morvane-folder", "a"), std::nullopt);
    TempFolder folder;
    touch(folder / "archivo");
    EXPECT_EQ(index.variants(folder / "archivo", "a"), std::nullopt);
}

// A file system that is not indexed, mounted in a mount namespace of a child
// process of its own so that no other process sees it. The child's exit code
// tells what went wrong; kCannotMount when this host allows no such mount.
constexpr int kCannotMount = 77;

int lookupsWithoutAnIndex(const fs::path& mountPoint) {
    if (::unshare(CLONE_NEWNS) != 0) return kCannotMount;
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return kCannotMount;
    if (::mount("morvane-test", mountPoint.c_str(), "hugetlbfs", 0, nullptr) != 0) {
        return kCannotMount;
    }
    DriveTable drives;
    drives.map('c', mountPoint);
    const auto resolved = [&](const std::string& name) {
        return drives.toHost("C:\\" + name).filename().string();
    };
    touch(mountPoint / "Ventas.vbp");
    if (resolved("VENTAS.VBP") != "Ventas.vbp") return 1;
    if (FolderIndex::shared().holds(mountPoint)) return 2;
    fs::rename(mountPoint / "Ventas.vbp", mountPoint / "VENTAS.vbp");
    if (resolved("ventas.vbp") != "VENTAS.vbp") return 3;
    touch(mountPoint / "AVentas.vbp");
    fs::remove(mountPoint / "VENTAS.vbp");
    if (resolved("ventas.vbp") != "ventas.vbp") return 4;
    if (resolved("aventas.vbp") != "AVentas.vbp") return 5;
    HostFileServices files(drives);
    touch(mountPoint / "aventas.VBP");
    if (files.caseVariants("C:\\AVENTAS.VBP") !=
        std::vector<std::string>{"AVentas.vbp", "aventas.VBP"}) {
        return 6;
    }
    return 0;
}

TEST(FolderWithoutIndex, OnAFileSystemNotIndexedLookupsReadTheFolder) {
    TempFolder mountPoint;
    const pid_t child = ::fork();
    if (child == 0) {
        int code = 99;
        try {
            code = lookupsWithoutAnIndex(mountPoint.path());
        } catch (...) {
        }
        ::umount2(mountPoint.path().c_str(), MNT_DETACH);
        ::_exit(code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kCannotMount) {
        GTEST_SKIP() << "this host allows no private mount of a hugetlbfs (needs root and "
                        "mount namespaces)";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the lookup that went wrong, numbered in the child";
}

TEST(FolderWithoutIndex, AProcessFileSystemIsNotIndexed) {
    FolderIndex index;
    EXPECT_EQ(index.variants("/proc/self", "CWD"), std::nullopt);
    EXPECT_FALSE(index.holds("/proc/self"));
}

}  // namespace
}  // namespace morvane

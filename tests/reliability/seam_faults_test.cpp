// Faults at the system-call seam, met by the real line reader and writer on
// real files: a disk that fills at a chosen byte and is freed before Retry, a
// read that fails once, a rename that must fall back to link and unlink. Each
// result is compared byte for byte with the same work done without the fault.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "ops/group/group_fixture.h"
#include "ops/replace/reescritura_fixture.h"
#include "platform/failure.h"
#include "platform/host_files.h"
#include "support/syscall_faults.h"
#include "support/temp_drive.h"

namespace morvane::testing {
namespace {

namespace fs = std::filesystem;

// The reader's and the writer's buffer.
constexpr std::size_t kBuffer = 256 * 1024;

class SeamFaults : public ::testing::Test {
  protected:
    void TearDown() override { faults::reset(); }
};

// ---------------------------------------------------------------------------
// Writing lines to a disk that fills.

// 600 lines of 1,009 bytes with their CR LF: the buffer first goes out when
// line 260 (index 259) is given, and that line spans bytes 261,331 to 262,340.
std::vector<std::string> longLines() {
    std::vector<std::string> lines;
    for (int i = 0; i < 600; ++i) {
        std::string line = "Linea " + std::to_string(i) + " ";
        line.resize(1007, static_cast<char>('a' + i % 26));
        lines.push_back(line);
    }
    return lines;
}

constexpr std::size_t kLineBytes = 1009;
constexpr std::size_t kFailingLineStart = 259 * kLineBytes;

std::string joined(const std::vector<std::string>& lines, int leftOut = -1) {
    std::string bytes;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (static_cast<int>(i) != leftOut) bytes += lines[i] + "\r\n";
    }
    return bytes;
}

struct WriteCut {
    const char* name;
    std::size_t room;  // bytes the disk takes before it is full
};

void PrintTo(const WriteCut& c, std::ostream* out) { *out << c.name << " (" << c.room << " bytes)"; }

class DiskFillsAt : public SeamFaults, public ::testing::WithParamInterface<WriteCut> {};

// Retry: the line that failed is written once, whatever byte the disk
// stopped at, and the file is exactly the one a run without the fault writes.
TEST_P(DiskFillsAt, RetryWritesTheFailedLineExactlyOnce) {
    TempDrive drive;
    HostFileServices files(drive.drives());
    const auto lines = longLines();
    faults::limitSpace("Ventas.NVO", GetParam().room);
    files.openForOutput("C:\\Ventas.NVO", 1);
    int failures = 0;
    for (const std::string& line : lines) {
        try {
            files.printLine(1, line);
        } catch (const Failure& f) {
            EXPECT_EQ(f.number(), err::kDiskFull);
            ++failures;
            faults::freeSpace();
            files.printLine(1, line);  // Retry
        }
    }
    files.close(1);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(readBytes(drive.host("Ventas.NVO")), joined(lines));
}

// Ignore: the line that failed leaves no piece of itself; every other line
// is there whole.
TEST_P(DiskFillsAt, IgnoreLeavesTheFailedLineOutWhole) {
    TempDrive drive;
    HostFileServices files(drive.drives());
    const auto lines = longLines();
    faults::limitSpace("Ventas.NVO", GetParam().room);
    files.openForOutput("C:\\Ventas.NVO", 1);
    int failed = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        try {
            files.printLine(1, lines[i]);
        } catch (const Failure&) {
            failed = static_cast<int>(i);
            faults::freeSpace();
        }
    }
    files.close(1);
    ASSERT_GE(failed, 0);
    EXPECT_EQ(readBytes(drive.host("Ventas.NVO")), joined(lines, failed));
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, DiskFillsAt,
    ::testing::Values(WriteCut{"NoRoomAtAll", 0},
                      WriteCut{"InsideAnEarlierLine", 100 * kLineBytes + 17},
                      WriteCut{"AtTheEndOfTheLineBefore", kFailingLineStart},
                      WriteCut{"InsideTheFailingLine", kFailingLineStart + 500},
                      WriteCut{"RightAfterTheFailingLinesCr", kFailingLineStart + kLineBytes - 1},
                      WriteCut{"AtTheEndOfAFlushedBuffer", kFailingLineStart + kLineBytes}),
    [](const auto& info) { return std::string(info.param.name); });

// A disk that fills while a close writes out the last lines keeps the file
// open with them; closing again writes them once.
TEST_F(SeamFaults, ACloseRefusedByAFullDiskWritesTheRestWhenClosedAgain) {
    TempDrive drive;
    HostFileServices files(drive.drives());
    faults::limitSpace("Grupo.vbG", 10);
    files.openForOutput("C:\\Grupo.vbG", 1);
    files.printLine(1, "VBGROUP 5.0");
    files.printLine(1, "StartupProject=Alfa.vbp");
    EXPECT_THROW(files.close(1), Failure);
    EXPECT_TRUE(files.isOpen(1));
    faults::freeSpace();
    files.close(1);
    EXPECT_FALSE(files.isOpen(1));
    EXPECT_EQ(readBytes(drive.host("Grupo.vbG")), "VBGROUP 5.0\r\nStartupProject=Alfa.vbp\r\n");
}

// ---------------------------------------------------------------------------
// Reading lines from a file whose second read fails once.

struct ReadCut {
    const char* name;
    // Where the first buffer ends, relative to a line: bytes of complete
    // lines that it holds, minus the buffer's size.
    std::ptrdiff_t linesEndPastBuffer;
    // The buffer ends at a line end: the read that fails is the one the loop
    // test makes, before any byte of the next line was read.
    bool atTheLoopTest = false;
};

void PrintTo(const ReadCut& c, std::ostream* out) { *out << c.name; }

// A first line sized so that the lines after it put the end of the first
// buffer where the case wants it, then lines of 1,000 bytes up to 800 lines
// in all.
std::string contentCutAt(const ReadCut& cut) {
    constexpr std::size_t kFollowing = 200;
    constexpr std::size_t kLine = 1000;  // with its CR LF
    const std::size_t ends = kBuffer + static_cast<std::size_t>(cut.linesEndPastBuffer);
    const std::size_t first = ends - kFollowing * kLine - 2;
    std::string bytes = "Linea primera ";
    bytes.resize(first, 'p');
    bytes += "\r\n";
    for (int i = 0; i < 799; ++i) {
        std::string line = "Linea " + std::to_string(i) + " ";
        line.resize(kLine - 2, static_cast<char>('a' + i % 26));
        bytes += line + "\r\n";
    }
    return bytes;
}

std::vector<std::string> readAll(FileServices& files, const std::string& name) {
    std::vector<std::string> lines;
    files.openForInput(name, 1);
    while (!files.eof(1)) lines.push_back(files.lineInput(1));
    files.close(1);
    return lines;
}

class ReadFailsAt : public SeamFaults, public ::testing::WithParamInterface<ReadCut> {};

// Retry: the line that was being read comes back whole, from its first byte,
// and no stray LF starts the next one.
TEST_P(ReadFailsAt, RetryReadsTheSameLineWhole) {
    TempDrive drive;
    HostFileServices files(drive.drives());
    writeBytes(drive.host("Ventas.vbp"), contentCutAt(GetParam()));
    const auto expected = readAll(files, "C:\\Ventas.vbp");
    ASSERT_EQ(expected.size(), 800u);

    faults::failReadOnce("Ventas.vbp", 1, EIO);
    std::vector<std::string> lines;
    int failures = 0;
    files.openForInput("C:\\Ventas.vbp", 1);
    while (true) {
        try {
            if (files.eof(1)) break;
            lines.push_back(files.lineInput(1));
        } catch (const Failure& f) {
            EXPECT_EQ(f.number(), err::kDeviceIo);
            ++failures;  // and Retry: the same call again
        }
    }
    files.close(1);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(lines, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, ReadFailsAt,
    ::testing::Values(ReadCut{"InsideALine", 500}, ReadCut{"RightAfterACr", 1},
                      ReadCut{"AtALineEnd", 0, true}, ReadCut{"RightAfterALineStarted", -999}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Whole rewrites through the run's failure handler, the box answered by the
// scripted user after space was freed or the disk recovered.

class RewriteAtTheSeam : public Reescritura {
  protected:
    void TearDown() override { faults::reset(); }

    // Rewrites the same content without any fault, elsewhere, for comparison.
    std::string faultFree(const std::string& original, const std::string& buscar,
                          const std::string& reemplazo) {
        writeBytes(host("Limpio\\Ventas.vbp"), original);
        reemplazar("C:\\Limpio\\Ventas.vbp", buscar, reemplazo);
        return readBytes(host("Limpio\\Ventas.vbp"));
    }
};

std::string shortLines() {
    std::string bytes;
    for (int i = 0; i < 600; ++i) {
        std::string line = "Linea " + std::to_string(i) + " corta ";
        line.resize(1000, static_cast<char>('a' + i % 26));
        bytes += line + "\r\n";
    }
    return bytes;
}

class RewriteDiskFillsAt : public RewriteAtTheSeam,
                           public ::testing::WithParamInterface<WriteCut> {};

TEST_P(RewriteDiskFillsAt, RetryAfterSpaceIsFreedGivesTheFaultFreeRewrite) {
    const std::string original = shortLines();
    // "corta" becomes 14 characters: each line is 1,009 bytes after.
    const std::string expected = faultFree(original, "corta", "muy muy larga");
    writeBytes(host("Proyectos\\Ventas.vbp"), original);
    faults::limitSpace("Ventas.NVO", GetParam().room);
    toolkit.alMostrar = [](const std::string&) { faults::freeSpace(); };
    toolkit.answers = {mb::kRetry};
    reemplazar("C:\\Proyectos\\Ventas.vbp", "corta", "muy muy larga");

    EXPECT_EQ(toolkit.boxes, (std::vector<Box>{{descripcion(err::kDiskFull),
                                                 mb::kAbortRetryIgnoreCritical, std::nullopt}}));
    EXPECT_EQ(readBytes(host("Proyectos\\Ventas.vbp")), expected);
    EXPECT_EQ(readBytes(host("Proyectos\\Ventas.OLD")), original);
    EXPECT_EQ(nombres("Proyectos"), (std::vector<std::string>{"Ventas.OLD", "Ventas.vbp"}));
}

TEST_P(RewriteDiskFillsAt, IgnoreLeavesTheProjectAsItWas) {
    const std::string original = shortLines();
    writeBytes(host("Proyectos\\Ventas.vbp"), original);
    faults::limitSpace("Ventas.NVO", GetParam().room);
    toolkit.alMostrar = [](const std::string&) { faults::freeSpace(); };
    toolkit.answers = {mb::kIgnore};
    reemplazar("C:\\Proyectos\\Ventas.vbp", "corta", "muy muy larga");

    EXPECT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(readBytes(host("Proyectos\\Ventas.vbp")), original);
    EXPECT_FALSE(fs::exists(host("Proyectos\\Ventas.OLD")));
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, RewriteDiskFillsAt,
    ::testing::Values(WriteCut{"InsideAnEarlierLine", 100 * kLineBytes + 17},
                      WriteCut{"AtTheEndOfTheLineBefore", kFailingLineStart},
                      WriteCut{"InsideTheFailingLine", kFailingLineStart + 500},
                      WriteCut{"RightAfterTheFailingLinesCr", kFailingLineStart + kLineBytes - 1},
                      // The last lines go out at the close: the close fails.
                      WriteCut{"InTheLastBuffer", 600 * kLineBytes - 3000}),
    [](const auto& info) { return std::string(info.param.name); });

class RewriteReadFailsAt : public RewriteAtTheSeam,
                           public ::testing::WithParamInterface<ReadCut> {};

TEST_P(RewriteReadFailsAt, RetryGivesTheFaultFreeRewrite) {
    const std::string original = contentCutAt(GetParam());
    const std::string expected = faultFree(original, "Linea", "Renglon");
    writeBytes(host("Proyectos\\Ventas.vbp"), original);
    faults::failReadOnce("Proyectos/Ventas.vbp", 1, EIO);
    toolkit.answers = {mb::kRetry};
    reemplazar("C:\\Proyectos\\Ventas.vbp", "Linea", "Renglon");

    EXPECT_EQ(toolkit.boxes, (std::vector<Box>{{descripcion(err::kDeviceIo),
                                                 mb::kAbortRetryIgnoreCritical, std::nullopt}}));
    EXPECT_EQ(readBytes(host("Proyectos\\Ventas.vbp")), expected);
    EXPECT_EQ(readBytes(host("Proyectos\\Ventas.OLD")), original);
}

// Ignore: a line that could not be read ends the copy and the project stays
// as it was. A loop test passed over goes on to read the next line, which
// the disk now gives: nothing was skipped, and the rewrite completes.
TEST_P(RewriteReadFailsAt, IgnoreLeavesTheProjectAsItWasOrRewritesItWhole) {
    const std::string original = contentCutAt(GetParam());
    const std::string expected = faultFree(original, "Linea", "Renglon");
    writeBytes(host("Proyectos\\Ventas.vbp"), original);
    faults::failReadOnce("Proyectos/Ventas.vbp", 1, EIO);
    toolkit.answers = {mb::kIgnore};
    reemplazar("C:\\Proyectos\\Ventas.vbp", "Linea", "Renglon");

    EXPECT_EQ(toolkit.boxes.size(), 1u);
    if (GetParam().atTheLoopTest) {
        EXPECT_EQ(readBytes(host("Proyectos\\Ventas.vbp")), expected);
        EXPECT_EQ(readBytes(host("Proyectos\\Ventas.OLD")), original);
    } else {
        EXPECT_EQ(readBytes(host("Proyectos\\Ventas.vbp")), original);
        EXPECT_FALSE(fs::exists(host("Proyectos\\Ventas.OLD")));
    }
}

INSTANTIATE_TEST_SUITE_P(Cuts, RewriteReadFailsAt,
                         ::testing::Values(ReadCut{"InsideALine", 500},
                                           ReadCut{"RightAfterACr", 1},
                                           ReadCut{"AtALineEnd", 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The group file on a disk that fills, through the whole run.

class GroupAtTheSeam : public SeamFaults, public ::testing::WithParamInterface<WriteCut> {};

std::string groupOf(int projects) {
    std::string bytes = "VBGROUP 5.0\r\n";
    for (int i = 0; i < projects; ++i) {
        bytes += (i == 0 ? "StartupProject=" : "Project=") + std::string("Proyecto") +
                 std::to_string(1000 + i) + ".vbp\r\n";
    }
    return bytes;
}

TEST_P(GroupAtTheSeam, RetryAfterSpaceIsFreedWritesTheWholeGroup) {
    GroupRun run;
    constexpr int kProjects = 12000;  // about 300 KB of lines: one buffer goes out early
    for (int i = 0; i < kProjects; ++i) {
        run.form.add("C:\\Proyectos\\Proyecto" + std::to_string(1000 + i) + ".vbp", true);
        writeBytes(run.folder() / ("Proyecto" + std::to_string(1000 + i) + ".vbp"), "");
    }
    run.toolkit.inputs = {"Sistema"};
    run.toolkit.answers = {mb::kRetry};
    run.toolkit.beforeAnswer = [] { faults::freeSpace(); };
    faults::limitSpace("Sistema.vbG", GetParam().room);
    run.press();

    ASSERT_EQ(run.toolkit.boxes.size(), 2u);
    EXPECT_EQ(run.toolkit.boxes[0].text, standardDescription(err::kDiskFull));
    EXPECT_EQ(readBytes(run.folder() / "Sistema.vbG"), groupOf(kProjects));
}

INSTANTIATE_TEST_SUITE_P(Cuts, GroupAtTheSeam,
                         ::testing::Values(WriteCut{"NoRoomAtAll", 0},
                                           WriteCut{"InsideTheFirstBuffer", 100000},
                                           WriteCut{"InTheLastLines", 290000}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// A rename on a file system that cannot rename without replacing.

TEST_F(SeamFaults, RenameByLinkAndUnlinkNeverReplaces) {
    TempDrive drive;
    HostFileServices files(drive.drives());
    faults::withoutRenameNoReplace(true);
    writeBytes(drive.host("Ventas.NVO"), "nuevo");
    writeBytes(drive.host("ventas.vbp"), "viejo");
    try {
        files.rename("C:\\Ventas.NVO", "C:\\Ventas.vbp");
        FAIL() << "a rename onto an existing name must fail";
    } catch (const Failure& f) {
        EXPECT_EQ(f.number(), err::kFileExists);
    }
    fs::remove(drive.host("ventas.vbp"));
    files.rename("C:\\Ventas.NVO", "C:\\Ventas.vbp");
    EXPECT_EQ(readBytes(drive.host("Ventas.vbp")), "nuevo");
    EXPECT_FALSE(fs::exists(drive.host("Ventas.NVO")));
}

// The old name cannot be removed after the link: the new one is removed
// again, and the file keeps its old name only.
TEST_F(SeamFaults, RenameByLinkGivesBackTheNewNameWhenTheOldOneStays) {
    TempDrive drive;
    HostFileServices files(drive.drives());
    faults::withoutRenameNoReplace(true);
    writeBytes(drive.host("Ventas.NVO"), "nuevo");
    faults::failUnlink("Ventas.NVO", EACCES, 1);
    try {
        files.rename("C:\\Ventas.NVO", "C:\\Ventas.vbp");
        FAIL() << "the rename must report the failed unlink";
    } catch (const Failure& f) {
        EXPECT_EQ(f.number(), err::kPermissionDenied);
        EXPECT_EQ(f.description(), standardDescription(err::kPermissionDenied));
    }
    EXPECT_EQ(readBytes(drive.host("Ventas.NVO")), "nuevo");
    EXPECT_FALSE(fs::exists(drive.host("Ventas.vbp")));
}

// Neither name can be removed: the failure says that the file has both.
TEST_F(SeamFaults, RenameByLinkSaysSoWhenTheFileKeepsBothNames) {
    TempDrive drive;
    HostFileServices files(drive.drives());
    faults::withoutRenameNoReplace(true);
    writeBytes(drive.host("Ventas.NVO"), "nuevo");
    faults::failUnlink("Ventas.NVO", EIO, 1);
    faults::failUnlink("Ventas.vbp", EIO, 1);
    try {
        files.rename("C:\\Ventas.NVO", "C:\\Ventas.vbp");
        FAIL() << "the rename must report the failed unlink";
    } catch (const Failure& f) {
        EXPECT_EQ(f.number(), err::kDeviceIo);
        EXPECT_NE(f.description().find("C:\\Ventas.NVO y C:\\Ventas.vbp"), std::string::npos)
            << f.description();
    }
    EXPECT_EQ(readBytes(drive.host("Ventas.NVO")), "nuevo");
    EXPECT_EQ(readBytes(drive.host("Ventas.vbp")), "nuevo");
}

}  // namespace
}  // namespace morvane::testing

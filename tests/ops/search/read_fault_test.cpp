// The search over a real file whose reads fail at the system call: the
// program is linked with the system's read wrapped (-Wl,--wrap=read), and
// __wrap_read below lets every read through except the one chosen, on the
// descriptor open on the chosen file. A failure anywhere in the file fails
// the search with the host's failure, whether or not the text was already
// found; an interrupted read or one that would block is made again.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "ops/search.h"
#include "platform/failure.h"
#include "platform/host_components.h"
#include "support/temp_drive.h"
#include "watched_components.h"

namespace {

// The read to fail: the how-manieth read of the file with this device and
// inode number, and the error it gives.
struct ChosenRead {
    dev_t device = 0;
    ino_t inode = 0;
    int readsBefore = 0;  // reads of the file let through first
    int error = 0;
    int readsSeen = 0;
    bool armed = false;
};

ChosenRead chosen;

}  // namespace

extern "C" ssize_t __real_read(int fd, void* buffer, size_t count);

extern "C" ssize_t __wrap_read(int fd, void* buffer, size_t count) {
    struct stat st;
    if (chosen.armed && ::fstat(fd, &st) == 0 && st.st_dev == chosen.device &&
        st.st_ino == chosen.inode && chosen.readsSeen++ == chosen.readsBefore) {
        chosen.armed = false;  // once only
        errno = chosen.error;
        return -1;
    }
    return __real_read(fd, buffer, count);
}

namespace morvane {
namespace {

using testing::TempDrive;
using testing::WatchedComponents;

void chooseRead(const std::filesystem::path& file, int readsBefore, int error) {
    struct stat st;
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    chosen = ChosenRead{st.st_dev, st.st_ino, readsBefore, error, 0, true};
}

struct FaultCase {
    const char* name;
    std::size_t fileSize;        // bytes of 'x'
    std::size_t textAt;          // where "Ventas" is written over them
    int readsBefore;             // reads of the file that succeed before the chosen one
    int error;                   // errno of the chosen read
    std::optional<int> failure;  // the failure number BuscaCadena gives, or none
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ReadFault, FailsTheSearchWhereverTheReadFails) {
    const FaultCase& c = GetParam();
    TempDrive drive;
    HostComponents host(drive.drives());
    WatchedComponents components(host);
    std::string content(c.fileSize, 'x');
    content.replace(c.textAt, 6, "Ventas");
    const auto file = drive.host("Proyectos/Ventas.vbp");
    testing::writeBytes(file, content);

    chooseRead(file, c.readsBefore, c.error);
    std::optional<int> failure;
    bool found = false;
    try {
        found = BuscaCadena(components, "C:\\Proyectos\\Ventas.vbp", "VENTAS");
    } catch (const Failure& f) {
        failure = f.number();
        EXPECT_EQ(f.description(), failureFromErrno(c.error).description());
    }
    EXPECT_FALSE(chosen.armed) << "the chosen read never came";
    chosen.armed = false;
    EXPECT_EQ(failure, c.failure);
    EXPECT_EQ(found, !c.failure);
    // The stream and its object go either way; a failed stream is not closed.
    EXPECT_EQ(components.watch.liveStreams, 0);
    EXPECT_EQ(components.watch.liveObjects, 0);
    EXPECT_EQ(components.watch.closes, c.failure ? 0 : 1);
    EXPECT_EQ(testing::readBytes(file), content);
}

constexpr std::size_t P = kSearchPieceSize;

INSTANTIATE_TEST_SUITE_P(
    BuscaCadena, ReadFault,
    ::testing::Values(
        // The text is in the first piece, the second read fails.
        FaultCase{"AfterTheFirstPieceWithTheTextInIt", 3 * P, 10, 1, EIO, err::kDeviceIo},
        FaultCase{"AfterTheFirstPieceWithoutTheText", 3 * P, 3 * P - 6, 1, EIO, err::kDeviceIo},
        FaultCase{"AtTheLastPiece", 3 * P, 10, 2, EIO, err::kDeviceIo},
        // A file of exactly one piece: the read that looks past its end fails.
        FaultCase{"LookingPastTheEnd", P, 10, 1, EIO, err::kDeviceIo},
        FaultCase{"AtTheFirstRead", 3 * P, 10, 0, EIO, err::kDeviceIo},
        FaultCase{"DeviceGone", 3 * P, 10, 1, ENXIO, err::kDeviceUnavailable},
        // Reads that are only to be made again.
        FaultCase{"InterruptedRead", 3 * P, 10, 1, EINTR, std::nullopt},
        FaultCase{"ReadThatWouldBlock", 3 * P, 2 * P - 3, 1, EAGAIN, std::nullopt}),
    [](const ::testing::TestParamInfo<FaultCase>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace morvane

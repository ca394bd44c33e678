#include "platform/host_components.h"

#include <fcntl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/failure.h"
#include "platform/host_failure.h"

namespace morvane {
namespace {

// Asks for huge pages for the whole 2 MB blocks inside a fresh buffer of a
// large file's content, before it is first touched: filling it then takes one
// page fault per 2 MB instead of one per 4 KB, which on a virtual machine is
// most of the time a search spends on a large file. Only a hint: nothing
// changes where the host does not follow it.
void adviseHugePages(char* data, std::size_t size) {
    constexpr std::uintptr_t kHuge = 2 * 1024 * 1024;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t last = (start + size) & ~(kHuge - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

// A search reads thousands of files whole, one after another. Freed content
// buffers of up to 32 MB stay with the allocator for the next file instead of
// going back to the system and being faulted in afresh page by page; larger
// ones still go back at once, and at most 64 MB of free memory is kept: the
// state that the allocator's own adaptive thresholds reach after freeing one
// 32 MB buffer, set from the start.
bool keepContentBuffers() {
#ifdef __GLIBC__
    ::mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    ::mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
    return true;
}

class HostTextStream : public TextStream {
  public:
    explicit HostTextStream(int fd) : fd_(fd) {}
    ~HostTextStream() override { Close(); }
    HostTextStream(const HostTextStream&) = delete;
    HostTextStream& operator=(const HostTextStream&) = delete;

    // Reads straight into one string sized from the file, so the content is
    // held once and never copied; a file that grows meanwhile is read on.
    std::string ReadAll() override {
        if (fd_ < 0) throw Failure(err::kBadFileNumber);
        struct stat st;
        if (::fstat(fd_, &st) != 0) throw failureFromErrno(errno);
        const off_t here = ::lseek(fd_, 0, SEEK_CUR);
        std::size_t expected = 0;
        if (S_ISREG(st.st_mode) && here >= 0 && st.st_size > here) {
            expected = static_cast<std::size_t>(st.st_size - here);
        }
        std::string content;
        content.reserve(expected);
        adviseHugePages(content.data(), expected);
        // Pipes and the like tell no size: they are read in growing pieces.
        content.resize(S_ISREG(st.st_mode) ? expected : 64 * 1024);
        std::size_t used = 0;
        while (true) {
            if (used == content.size()) content.resize(content.size() + content.size() / 2 + 4096);
            const ssize_t got = ::read(fd_, content.data() + used, content.size() - used);
            if (got > 0) {
                used += static_cast<std::size_t>(got);
                // The expected size is reached: ask once more, without growing
                // the string, only when a read can still return something.
                if (used == expected && expected != 0) {
                    char probe;
                    const ssize_t more = ::read(fd_, &probe, 1);
                    if (more == 0) break;
                    if (more < 0) {
                        if (errno == EINTR) continue;
                        throw failureFromErrno(errno);
                    }
                    content.resize(content.size() + content.size() / 2 + 4096);
                    content[used++] = probe;
                }
                continue;
            }
            if (got == 0) break;
            if (errno != EINTR) throw failureFromErrno(errno);
        }
        content.resize(used);
        return content;
    }

    void Close() override {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

  private:
    int fd_;
};

class HostFileSystemObject : public FileSystemObject {
  public:
    explicit HostFileSystemObject(const DriveTable& drives) : drives_(drives) {}

    std::unique_ptr<TextStream> OpenTextFile(const std::string& name, int ioMode) override {
        if (ioMode != iomode::kForReading) throw Failure(err::kInvalidCall);
        const auto host = drives_.toHost(name);
        // Opened without blocking, so that a pipe cannot hang the program;
        // only a plain file is read (a device could give content without end).
        const int fd = ::open(host.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) throw failureOfPath(errno, host);
        auto stream = std::make_unique<HostTextStream>(fd);
        struct stat st;
        if (::fstat(fd, &st) != 0) throw failureFromErrno(errno);
        if (!S_ISREG(st.st_mode)) throw Failure(err::kPathFileAccess);
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
            throw failureFromErrno(errno);
        }
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        return stream;
    }

  private:
    const DriveTable& drives_;
};

}  // namespace

std::unique_ptr<FileSystemObject> HostComponents::createFileSystemObject() {
    [[maybe_unused]] static const bool kept = keepContentBuffers();
    return std::make_unique<HostFileSystemObject>(drives_);
}

}  // namespace morvane

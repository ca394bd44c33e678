#include "platform/posix_file.h"

#include <unistd.h>

#include <cerrno>

#include "platform/failure.h"

namespace morvane {

PosixFile::~PosixFile() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t PosixFile::read(char* into, std::size_t size) {
    while (true) {
        const ssize_t got = ::read(fd_, into, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) throw failureFromErrno(errno);
    }
}

std::size_t PosixFile::write(const char* from, std::size_t size) {
    while (true) {
        const ssize_t put = ::write(fd_, from, size);
        if (put > 0) return static_cast<std::size_t>(put);
        // A write that takes nothing without an error is a full disk as well.
        if (put == 0) throw failureFromErrno(ENOSPC);
        if (errno != EINTR) throw failureFromErrno(errno);
    }
}

void PosixFile::truncate(std::uint64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0 ||
        ::lseek(fd_, static_cast<off_t>(size), SEEK_SET) < 0) {
        throw failureFromErrno(errno);
    }
}

void PosixFile::sync() {
    // Files that cannot be synced (a pipe, a read-only file system) are let be.
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) throw failureFromErrno(errno);
}

void PosixFile::close() {
    if (fd_ < 0) return;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) throw failureFromErrno(errno);
}

}  // namespace morvane

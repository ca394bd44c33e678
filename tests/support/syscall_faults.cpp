// The wrapped calls of syscall_faults.h. Each wrapper passes straight to the
// real call unless a fault is armed for the file it is given; the file of a
// descriptor is found through /proc/self/fd.
#include "support/syscall_faults.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>
#include <vector>

extern "C" {
ssize_t __real_read(int fd, void* buffer, size_t count);
ssize_t __real_write(int fd, const void* buffer, size_t count);
int __real_unlink(const char* path);
int __real_renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                     unsigned flags);
}

namespace morvane::testing::faults {
namespace {

struct ReadFault {
    std::string suffix;
    int goodReads = 0;
    int error = 0;
};

struct SpaceLimit {
    std::string suffix;
    std::size_t room = 0;
    bool armed = false;
    int failures = 0;
};

struct UnlinkFault {
    std::string suffix;
    int error = 0;
    int times = 0;
};

ReadFault readFault;
SpaceLimit space;
std::vector<UnlinkFault> unlinkFaults;
bool noRenameNoReplace = false;

bool endsWith(const std::string& text, const std::string& suffix) {
    return !suffix.empty() && text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The host path behind a descriptor, or the empty text.
std::string pathOf(int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[PATH_MAX];
    const ssize_t size = ::readlink(link, target, sizeof target - 1);
    return size > 0 ? std::string(target, static_cast<std::size_t>(size)) : std::string();
}

}  // namespace

void failReadOnce(const std::string& pathSuffix, int goodReads, int error) {
    readFault = {pathSuffix, goodReads, error};
}

void limitSpace(const std::string& pathSuffix, std::size_t freeBytes) {
    space = {pathSuffix, freeBytes, true, 0};
}

void freeSpace() { space.armed = false; }

int fullDiskFailures() { return space.failures; }

void failUnlink(const std::string& pathSuffix, int error, int times) {
    unlinkFaults.push_back({pathSuffix, error, times});
}

void withoutRenameNoReplace(bool on) { noRenameNoReplace = on; }

void reset() {
    readFault = {};
    space = {};
    unlinkFaults.clear();
    noRenameNoReplace = false;
}

}  // namespace morvane::testing::faults

using namespace morvane::testing::faults;

extern "C" {

ssize_t __wrap_read(int fd, void* buffer, size_t count) {
    if (!readFault.suffix.empty() && endsWith(pathOf(fd), readFault.suffix)) {
        if (readFault.goodReads == 0) {
            const int error = readFault.error;
            readFault = {};
            errno = error;
            return -1;
        }
        --readFault.goodReads;
    }
    return __real_read(fd, buffer, count);
}

ssize_t __wrap_write(int fd, const void* buffer, size_t count) {
    if (space.armed && endsWith(pathOf(fd), space.suffix)) {
        if (space.room == 0) {
            ++space.failures;
            errno = ENOSPC;
            return -1;
        }
        if (count > space.room) count = space.room;
        const ssize_t put = __real_write(fd, buffer, count);
        if (put > 0) space.room -= static_cast<std::size_t>(put);
        return put;
    }
    return __real_write(fd, buffer, count);
}

int __wrap_unlink(const char* path) {
    for (UnlinkFault& fault : unlinkFaults) {
        if (fault.times > 0 && endsWith(path, fault.suffix)) {
            --fault.times;
            errno = fault.error;
            return -1;
        }
    }
    return __real_unlink(path);
}

int __wrap_renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                     unsigned flags) {
    if (noRenameNoReplace) {
        errno = EINVAL;
        return -1;
    }
    return __real_renameat2(fromFolder, from, toFolder, to, flags);
}

}  // extern "C"

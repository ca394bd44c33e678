#include "platform/host_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/failure.h"
#include "platform/host_failure.h"
#include "platform/line_file.h"
#include "platform/wildcard.h"

namespace fs = std::filesystem;

namespace morvane {

struct HostFileServices::OpenFile {
    std::unique_ptr<LineReader> reader;  // set for a file open for reading
    std::unique_ptr<LineWriter> writer;  // set for a file open for writing
    dev_t device = 0;                    // which host file it is
    ino_t inode = 0;
};

namespace {

// Attribute bits of the listing beyond the plain selection.
constexpr int kHidden = 2;
constexpr int kDirectory = 16;

// Whether a folder entry belongs in a listing with these attributes: plain
// files and links to them always; folders only when asked for; names starting
// with a dot are the host's hidden files.
bool selected(int folderFd, const char* name, unsigned char type, int attributes) {
    if (name[0] == '.' && (attributes & kHidden) == 0) return false;
    // Most hosts tell the kind of entry with the name, which saves a stat per
    // file in folders of many thousands; links and unknown kinds are looked up.
    if (type == DT_REG) return true;
    if (type == DT_DIR) return (attributes & kDirectory) != 0;
    if (type != DT_LNK && type != DT_UNKNOWN) return false;
    struct stat st;
    if (::fstatat(folderFd, name, &st, 0) != 0) return false;  // a dangling link
    if (S_ISREG(st.st_mode)) return true;
    return S_ISDIR(st.st_mode) && (attributes & kDirectory) != 0;
}

// Splits a pattern into its folder part (with its separator or drive) and its
// name part.
std::pair<std::string, std::string> splitPattern(const std::string& pattern) {
    const std::size_t sep = pattern.find_last_of("\\/");
    if (sep != std::string::npos) return {pattern.substr(0, sep + 1), pattern.substr(sep + 1)};
    if (pattern.size() >= 2 && pattern[1] == ':') return {pattern.substr(0, 2), pattern.substr(2)};
    return {std::string(), pattern};
}

// Renames without ever replacing an existing name, atomically. Filesystems
// without that operation get the same guarantee from link + unlink.
int renameNoReplace(const char* from, const char* to) {
    constexpr unsigned kRenameNoReplace = 1;
#ifdef SYS_renameat2
    if (::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, kRenameNoReplace) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
#endif
    struct stat st;
    if (::lstat(from, &st) != 0) return -1;
    if (S_ISDIR(st.st_mode)) {
        errno = EINVAL;
        return -1;
    }
    if (::link(from, to) != 0) return -1;
    return ::unlink(from);
}

// Makes a folder's entries durable; hosts that cannot sync a folder are let be.
void syncFolder(const fs::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (result != 0 && error == EIO) throw failureFromErrno(error);
}

// Accepts only a plain file behind a descriptor opened without blocking, then
// lets it block again. A folder, a device or a pipe is no text file: a pipe
// could hang the program and a device could feed it lines without end.
struct stat checkPlainFile(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        throw failureFromErrno(error);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw Failure(err::kPathFileAccess);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        throw failureFromErrno(error);
    }
    return st;
}

}  // namespace

HostFileServices::HostFileServices(DriveTable& drives) : drives_(drives) {}

HostFileServices::~HostFileServices() = default;

std::string HostFileServices::dir(const std::string& pattern, int attributes) {
    listing_.clear();
    listingNext_ = 0;
    listingActive_ = false;

    const auto parts = splitPattern(pattern);
    const std::string& folder = parts.first;
    const std::string name = parts.second.empty() ? std::string(1, '*') : parts.second;

    // A folder that is not there simply has no matches; one that cannot be
    // read is a failure.
    const auto folderFailed = [](int error) {
        if (error != ENOENT && error != ENOTDIR) throw failureFromErrno(error);
    };
    if (!hasWildcards(name)) {
        // A plain name: the file itself, in the spelling it has on disk.
        const fs::path host = drives_.toHost(pattern);
        // Looking up one name needs only the right to pass through the
        // folder, not to read its list of names.
        const int parent = ::open(host.parent_path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (parent < 0) {
            folderFailed(errno);
        } else {
            const std::string stored = host.filename().string();
            if (selected(parent, stored.c_str(), DT_UNKNOWN, attributes)) {
                listing_.push_back(stored);
            }
            ::close(parent);
        }
    } else {
        const fs::path host = drives_.toHost(folder);
        DIR* dir = ::opendir(host.c_str());
        if (dir == nullptr) {
            folderFailed(errno);
        } else {
            const WildcardPattern matcher(name);
            const int fd = ::dirfd(dir);
            while (true) {
                errno = 0;
                const dirent* entry = ::readdir(dir);
                if (entry == nullptr) break;
                const std::string_view entryName = entry->d_name;
                if (entryName == "." || entryName == "..") continue;
                if (!matcher.matches(entryName)) continue;
                if (selected(fd, entry->d_name, entry->d_type, attributes)) {
                    listing_.emplace_back(entryName);
                }
            }
            // A folder that fails halfway (a network folder that went away)
            // gives no half listing.
            const int error = errno;
            ::closedir(dir);
            if (error != 0) {
                listing_.clear();
                throw failureFromErrno(error);
            }
        }
    }
    listingActive_ = true;
    return dirNext();
}

std::string HostFileServices::dirNext() {
    if (!listingActive_) throw Failure(err::kInvalidCall);
    if (listingNext_ < listing_.size()) return listing_[listingNext_++];
    // The listing is over; asking again without a new pattern is an error.
    listingActive_ = false;
    listing_.clear();
    return {};
}

int HostFileServices::freeFile() {
    for (int n = 1; n <= kMaxFileNumber; ++n) {
        if (!files_[n]) return n;
    }
    throw Failure(err::kTooManyFiles);
}

void HostFileServices::checkFreeNumber(int number) const {
    if (number < 1 || number > kMaxFileNumber) throw Failure(err::kBadFileNumber);
    if (files_[number]) throw Failure(err::kFileAlreadyOpen);
}

HostFileServices::OpenFile& HostFileServices::openFile(int number) {
    if (number < 1 || number > kMaxFileNumber || !files_[number]) {
        throw Failure(err::kBadFileNumber);
    }
    return *files_[number];
}

void HostFileServices::openForInput(const std::string& name, int number) {
    checkFreeNumber(number);
    const fs::path host = drives_.toHost(name);
    const int fd = ::open(host.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw failureOfPath(errno, host);
    const struct stat st = checkPlainFile(fd);
    // A file being written may not be read at the same time.
    if (isOpenAs(st, true)) {
        ::close(fd);
        throw Failure(err::kFileAlreadyOpen);
    }
    auto file = std::make_unique<OpenFile>();
    file->reader = std::make_unique<LineReader>(fd);
    file->device = st.st_dev;
    file->inode = st.st_ino;
    files_[number] = std::move(file);
}

void HostFileServices::openForOutput(const std::string& name, int number) {
    checkFreeNumber(number);
    // The name resolves to an existing file in any letter case, so a file
    // spelled differently on disk is emptied rather than joined by a twin.
    const fs::path host = drives_.toHost(name);
    struct stat st;
    const bool exists = ::lstat(host.c_str(), &st) == 0;
    // A file open under another number is never emptied beneath it.
    if (exists && S_ISREG(st.st_mode) && isOpenAs(st, false)) throw Failure(err::kFileAlreadyOpen);
    if (exists && S_ISLNK(st.st_mode)) {
        // Never write through a link: the link gives way to a new file.
        if (::unlink(host.c_str()) != 0) throw failureOfPath(errno, host);
    }
    constexpr int kFlags = O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(host.c_str(), kFlags | O_CREAT | O_TRUNC, 0666);
    if (fd < 0 && errno == ELOOP) {
        // A link appeared since the check: remove it and create the file anew.
        if (::unlink(host.c_str()) != 0) throw failureOfPath(errno, host);
        fd = ::open(host.c_str(), kFlags | O_CREAT | O_EXCL, 0666);
    }
    if (fd < 0) throw failureOfPath(errno, host);
    const struct stat opened = checkPlainFile(fd);
    auto file = std::make_unique<OpenFile>();
    file->writer = std::make_unique<LineWriter>(fd);
    file->device = opened.st_dev;
    file->inode = opened.st_ino;
    files_[number] = std::move(file);
}

bool HostFileServices::eof(int number) {
    OpenFile& file = openFile(number);
    if (!file.reader) throw Failure(err::kBadFileMode);
    return file.reader->atEnd();
}

std::string HostFileServices::lineInput(int number) {
    OpenFile& file = openFile(number);
    if (!file.reader) throw Failure(err::kBadFileMode);
    return file.reader->readLine();
}

void HostFileServices::printLine(int number, std::string_view ansiLine) {
    OpenFile& file = openFile(number);
    if (!file.writer) throw Failure(err::kBadFileMode);
    file.writer->writeLine(ansiLine);
}

void HostFileServices::close(int number) {
    openFile(number);
    // The number is free again whatever the close reports.
    const std::unique_ptr<OpenFile> file = std::move(files_[number]);
    if (file->writer) file->writer->close();
    if (file->reader) file->reader->close();
}

bool HostFileServices::isOpenAs(const struct stat& st, bool forWritingOnly) const {
    for (const auto& file : files_) {
        if (file && file->device == st.st_dev && file->inode == st.st_ino &&
            (!forWritingOnly || file->writer)) {
            return true;
        }
    }
    return false;
}

bool HostFileServices::isOpen(int number) const {
    return number >= 1 && number <= kMaxFileNumber && files_[number] != nullptr;
}

void HostFileServices::kill(const std::string& name) {
    const fs::path host = drives_.toHost(name);
    struct stat st;
    if (::lstat(host.c_str(), &st) != 0) throw failureOfPath(errno, host);
    if (S_ISDIR(st.st_mode)) throw Failure(err::kPathFileAccess);
    if (::unlink(host.c_str()) != 0) throw failureOfPath(errno, host);
}

void HostFileServices::rename(const std::string& from, const std::string& to) {
    const fs::path source = drives_.toHost(from);
    struct stat st;
    if (::lstat(source.c_str(), &st) != 0) throw failureOfPath(errno, source);
    // The target resolves to an existing entry in any letter case.
    const fs::path target = drives_.toHost(to);
    if (::lstat(target.c_str(), &st) == 0) throw Failure(err::kFileExists);
    // The source was there a moment ago, so a missing entry now is most
    // likely the target's folder.
    if (renameNoReplace(source.c_str(), target.c_str()) != 0) throw failureOfPath(errno, target);
    syncFolder(target.parent_path());
    if (source.parent_path() != target.parent_path()) syncFolder(source.parent_path());
}

}  // namespace morvane

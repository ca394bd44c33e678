#include "platform/host_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/failure.h"
#include "platform/folder_index.h"
#include "platform/host_failure.h"
#include "platform/line_file.h"
#include "platform/posix_file.h"
#include "platform/text.h"
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

using attr::kDirectory;
using attr::kHidden;

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
// without that operation get the same guarantee from link + unlink; when the
// old name cannot be removed after the link, the new one is removed again, so
// the file never stays under both names without the user being told.
void renameNoReplace(const fs::path& from, const fs::path& to, const std::string& fromName,
                     const std::string& toName) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
    if (errno != EINVAL && errno != ENOSYS) throw failureOfPath(errno, to);
    struct stat st;
    if (::lstat(from.c_str(), &st) != 0) throw failureOfPath(errno, from);
    if (S_ISDIR(st.st_mode)) throw Failure(err::kPathFileAccess);
    if (::link(from.c_str(), to.c_str()) != 0) {
        if (errno == EEXIST) throw Failure(err::kFileExists);
        throw failureOfPath(errno, to);
    }
    if (::unlink(from.c_str()) == 0) return;
    const int error = errno;
    if (::unlink(to.c_str()) == 0) throw failureFromErrno(error);  // as before the rename
    const Failure cause = failureFromErrno(error);
    throw Failure(cause.number(), cause.description() + ": el archivo quedó con los dos nombres, " +
                                      fromName + " y " + toName);
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
    file->reader = std::make_unique<LineReader>(posixFile(fd));
    file->device = st.st_dev;
    file->inode = st.st_ino;
    files_[number] = std::move(file);
}

void HostFileServices::openForOutput(const std::string& name, int number) {
    checkFreeNumber(number);
    // The name resolves to an existing file in any letter case, so a file
    // spelled differently on disk is replaced rather than joined by a twin.
    const fs::path host = drives_.toHost(name);
    struct stat st;
    if (::lstat(host.c_str(), &st) == 0) {
        // A file open under another number is never emptied beneath it.
        if (S_ISREG(st.st_mode) && isOpenAs(st, false)) throw Failure(err::kFileAlreadyOpen);
        if (S_ISDIR(st.st_mode)) throw Failure(err::kPathFileAccess);
        // A file that may not be written is not replaced behind its owner's back.
        if (S_ISREG(st.st_mode) && ::faccessat(AT_FDCWD, host.c_str(), W_OK, AT_EACCESS) != 0) {
            throw failureOfPath(errno, host);
        }
        // The name gives way to a new file: writing into the one it named
        // would go through a symbolic link, or empty whatever other file a
        // hard link shares it with. A device or a pipe stays, and is refused
        // below.
        if ((S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) && ::unlink(host.c_str()) != 0 &&
            errno != ENOENT) {
            throw failureOfPath(errno, host);
        }
    }
    constexpr int kFlags = O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(host.c_str(), kFlags | O_CREAT | O_EXCL, 0666);
    if (fd < 0 && errno == EEXIST) {
        // Something took the name since: a plain file is replaced as above,
        // anything else is opened as it is and refused if it is no plain file.
        if (::lstat(host.c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))) {
            if (::unlink(host.c_str()) != 0 && errno != ENOENT) throw failureOfPath(errno, host);
            fd = ::open(host.c_str(), kFlags | O_CREAT | O_EXCL, 0666);
        } else {
            fd = ::open(host.c_str(), kFlags);
        }
    }
    if (fd < 0) throw failureOfPath(errno, host);
    const struct stat opened = checkPlainFile(fd);
    auto file = std::make_unique<OpenFile>();
    file->writer = std::make_unique<LineWriter>(posixFile(fd));
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
    OpenFile& file = openFile(number);
    if (file.writer) {
        try {
            file.writer->close();
        } catch (const Failure&) {
            // Lines that could not be written stay with the open file, so that
            // closing again writes them; any other failure has closed it.
            if (!file.writer->isOpen()) files_[number].reset();
            throw;
        }
    }
    if (file.reader) file.reader->close();
    files_[number].reset();
}

void HostFileServices::abandon(int number) {
    OpenFile& file = openFile(number);
    if (file.writer) file.writer->abandon();
    if (file.reader) file.reader->close();
    files_[number].reset();
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
    renameNoReplace(source, target, from, to);
    syncFolder(target.parent_path());
    if (source.parent_path() != target.parent_path()) syncFolder(source.parent_path());
}

std::vector<std::string> HostFileServices::caseVariants(const std::string& name) {
    const fs::path host = drives_.toHost(name);
    const std::string file = host.filename().string();
    std::vector<std::string> found;
    if (file.empty()) return found;
    if (auto indexed = FolderIndex::shared().variants(host.parent_path(), file)) return *indexed;
    DIR* dir = ::opendir(host.parent_path().c_str());
    if (dir == nullptr) {
        if (errno == ENOENT || errno == ENOTDIR) return found;
        throw failureOfPath(errno, host.parent_path());
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view candidate = entry->d_name;
        // Case pairs of the code page have UTF-8 spellings of equal length.
        if (candidate.size() == file.size() && textEquals(candidate, file)) {
            found.emplace_back(candidate);
        }
        errno = 0;
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0) throw failureFromErrno(error);
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace morvane

#include "platform/win/host_files.h"

#include <windows.h>

#include <utility>

#include "platform/failure.h"
#include "platform/wildcard.h"
#include "platform/line_file.h"
#include "platform/win/win_file.h"
#include "platform/win/listing.h"
#include "platform/win/long_path.h"
#include "platform/win/win_failure.h"

namespace fs = std::filesystem;

namespace morvane {

struct HostFileServices::OpenFile {
    std::unique_ptr<LineReader> reader;  // set for a file open for reading
    std::unique_ptr<LineWriter> writer;  // set for a file open for writing
    FileId id;
};

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Splits a pattern into its folder part (with its separator or drive) and its
// name part.
std::pair<std::string, std::string> splitPattern(const std::string& pattern) {
    const std::size_t sep = pattern.find_last_of("\\/");
    if (sep != std::string::npos) return {pattern.substr(0, sep + 1), pattern.substr(sep + 1)};
    if (pattern.size() >= 2 && pattern[1] == ':') return {pattern.substr(0, 2), pattern.substr(2)};
    return {std::string(), pattern};
}

// Owns a handle until it is handed on.
class Handle {
  public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (valid()) ::CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    HANDLE release() { return std::exchange(h_, INVALID_HANDLE_VALUE); }

  private:
    HANDLE h_;
};

// Accepts only a plain file on disk: a device (CON, a serial port) or a pipe
// could hang the program or feed it lines without end.
void checkPlainFile(HANDLE h) {
    if (::GetFileType(h) != FILE_TYPE_DISK) throw Failure(err::kPathFileAccess);
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(h, &info)) throw lastWinFailure();
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        throw Failure(err::kPathFileAccess);
}

// Removes a name that is a link (to a file or to a folder) or a plain file.
void removeName(const fs::path& host, DWORD attributes) {
    const std::wstring path = apiPath(host);
    const bool folderLink = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const BOOL removed =
        folderLink ? ::RemoveDirectoryW(path.c_str()) : ::DeleteFileW(path.c_str());
    if (!removed && ::GetLastError() != ERROR_FILE_NOT_FOUND) throw lastWinFailure();
}

}  // namespace

HostFileServices::HostFileServices(DriveTable& drives) : drives_(drives) {}

HostFileServices::~HostFileServices() = default;

std::string HostFileServices::dir(const std::string& pattern, int attributes) {
    listing_.clear();
    listingNext_ = 0;
    listingActive_ = false;

    const auto parts = splitPattern(pattern);
    const std::string name = parts.second.empty() ? std::string(1, '*') : parts.second;
    if (hasWildcards(name)) {
        listing_ = listFolder(drives_.toHost(parts.first), name, attributes);
    } else {
        listing_ = listOne(drives_.toHost(pattern), attributes);
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

namespace {

// Which file a handle is open on.
bool idOf(HANDLE h, std::uint32_t& volume, std::uint64_t& index) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(h, &info)) return false;
    volume = info.dwVolumeSerialNumber;
    index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

}  // namespace

void HostFileServices::openForInput(const std::string& name, int number) {
    checkFreeNumber(number);
    const fs::path host = drives_.toHost(name);
    // Other programs, and this one under another number, may go on reading,
    // writing, renaming or deleting the file, as on Linux.
    Handle h(::CreateFileW(apiFilePath(host).c_str(), GENERIC_READ, kShareAll, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                           nullptr));
    if (!h.valid()) throw failureOfPath(::GetLastError(), host);
    checkPlainFile(h.get());
    auto file = std::make_unique<OpenFile>();
    if (!idOf(h.get(), file->id.volume, file->id.index)) throw lastWinFailure();
    // A file being written may not be read at the same time.
    if (isOpenAs(file->id, true)) throw Failure(err::kFileAlreadyOpen);
    file->reader = std::make_unique<LineReader>(winFile(h.release()));
    files_[number] = std::move(file);
}

void HostFileServices::openForOutput(const std::string& name, int number) {
    checkFreeNumber(number);
    // A file that exists under the name in other letters keeps its spelling.
    const fs::path host = storedSpelling(drives_.toHost(name));
    const std::wstring path = apiFilePath(host);
    for (int attempt = 0;; ++attempt) {
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (!link) {
                if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                    throw Failure(err::kPathFileAccess);
                // A file open under another number is never emptied beneath it.
                Handle look(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
                FileId id;
                if (look.valid() && idOf(look.get(), id.volume, id.index) && isOpenAs(id, false)) {
                    throw Failure(err::kFileAlreadyOpen);
                }
                // A file that may not be written (read-only, or held by
                // another program) is not replaced behind its owner's back.
                Handle probe(::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, kShareAll, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
                if (!probe.valid()) throw failureOfPath(::GetLastError(), host);
            }
            // The name gives way to a new file: writing into the one it named
            // would go through a link, or change a file that another name
            // shares.
            removeName(host, attributes);
        }
        // Others may read the new file while it is written, nothing more.
        Handle h(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!h.valid()) {
            const DWORD error = ::GetLastError();
            // Something took the name since it was removed: once more.
            if ((error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) && attempt == 0)
                continue;
            throw failureOfPath(error, host);
        }
        if (::GetFileType(h.get()) != FILE_TYPE_DISK) throw Failure(err::kPathFileAccess);
        auto file = std::make_unique<OpenFile>();
        if (!idOf(h.get(), file->id.volume, file->id.index)) throw lastWinFailure();
        file->writer = std::make_unique<LineWriter>(winFile(h.release()));
        files_[number] = std::move(file);
        return;
    }
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

bool HostFileServices::isOpenAs(const FileId& id, bool forWritingOnly) const {
    for (const auto& file : files_) {
        if (file && file->id == id && (!forWritingOnly || file->writer)) return true;
    }
    return false;
}

bool HostFileServices::isOpen(int number) const {
    return number >= 1 && number <= kMaxFileNumber && files_[number] != nullptr;
}

void HostFileServices::kill(const std::string& name) {
    const fs::path host = drives_.toHost(name);
    const DWORD attributes = ::GetFileAttributesW(apiFilePath(host).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throw lastWinFailure();
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        throw Failure(err::kPathFileAccess);
    }
    removeName(host, attributes);
}

void HostFileServices::rename(const std::string& from, const std::string& to) {
    const std::wstring source = apiFilePath(drives_.toHost(from));
    const DWORD attributes = ::GetFileAttributesW(source.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throw lastWinFailure();
    // Windows would move a read-only file, but a file marked so (a project
    // that source control has not checked out, say) is not to be changed:
    // it keeps its name as it keeps its content.
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) throw Failure(err::kPermissionDenied);
    // Windows finds an existing name in any letter case, its short name included.
    const std::wstring target = apiFilePath(drives_.toHost(to));
    if (::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        throw Failure(err::kFileExists);
    }
    // Without MOVEFILE_REPLACE_EXISTING an existing target is never replaced;
    // the write-through makes the new entry durable before the call returns.
    if (!::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        throw lastWinFailure();
    }
}

}  // namespace morvane

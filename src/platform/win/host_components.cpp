#include "platform/win/host_components.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <string>

#include "platform/failure.h"
#include "platform/win/long_path.h"
#include "platform/win/win_failure.h"

namespace morvane {
namespace {

class HostTextStream : public TextStream {
  public:
    // `size` is the file's size when it was opened: up to there the stream
    // knows that more is left without asking the system.
    HostTextStream(HANDLE h, std::size_t size) : handle_(h), size_(size) {}
    ~HostTextStream() override { Close(); }
    HostTextStream(const HostTextStream&) = delete;
    HostTextStream& operator=(const HostTextStream&) = delete;

    // Fills the piece up to the size asked for; only the file's end makes it
    // shorter. Within the size the file had, the piece is made no longer than
    // what is left of it.
    void Read(std::size_t characters, std::string& piece) override {
        requireOpen();
        std::size_t room = characters;
        const std::size_t left = position_ < size_ ? size_ - position_ : 0;
        if (left > 0 && left + (hasLookahead_ ? 1 : 0) < room)
            room = left + (hasLookahead_ ? 1 : 0);
        piece.resize(room);
        std::size_t used = takeLookahead(piece.data(), room);
        while (used < room) {
            const std::size_t got = readSome(piece.data() + used, room - used);
            if (got == 0) break;
            used += got;
        }
        piece.resize(used);
    }

    bool AtEndOfStream() override {
        requireOpen();
        if (hasLookahead_) return false;
        if (ended_) return true;
        if (position_ < size_) return false;
        // Past the size the file had: one character more tells, and waits for
        // the next read. A file that grows meanwhile is read on.
        if (readSome(&lookahead_, 1) == 0) return true;
        hasLookahead_ = true;
        return false;
    }

    // Reads straight into one string sized from the file, so the content is
    // held once; a file that grows meanwhile is read on to its end.
    std::string ReadAll() override {
        requireOpen();
        const std::size_t left = position_ < size_ ? size_ - position_ : 0;
        std::string content(left + (hasLookahead_ ? 1 : 0), '\0');
        std::size_t used = takeLookahead(content.data(), content.size());
        while (true) {
            if (used == content.size()) {
                // The expected size is reached: grow only when one more
                // character comes.
                char probe;
                if (readSome(&probe, 1) == 0) break;
                content.resize(content.size() + content.size() / 2 + 4096);
                content[used++] = probe;
                continue;
            }
            const std::size_t got = readSome(content.data() + used, content.size() - used);
            if (got == 0) break;
            used += got;
        }
        content.resize(used);
        return content;
    }

    void Close() override {
        if (handle_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
    }

  private:
    void requireOpen() const {
        if (handle_ == INVALID_HANDLE_VALUE) throw Failure(err::kBadFileNumber);
    }

    // Hands out the character that AtEndOfStream read ahead, if any.
    std::size_t takeLookahead(char* into, std::size_t room) {
        if (!hasLookahead_ || room == 0) return 0;
        *into = lookahead_;
        hasLookahead_ = false;
        return 1;
    }

    // One read from the system: what it gave, 0 at the file's end.
    std::size_t readSome(char* into, std::size_t room) {
        DWORD got = 0;
        const auto ask = static_cast<DWORD>(std::min<std::size_t>(room, 1u << 30));
        if (!::ReadFile(handle_, into, ask, &got, nullptr)) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_HANDLE_EOF) throw failureFromWinError(error);
        }
        ended_ = got == 0;
        position_ += got;
        return got;
    }

    HANDLE handle_;
    std::size_t size_;
    std::size_t position_ = 0;  // characters read from the system so far
    bool ended_ = false;        // the last read from the system met the end
    char lookahead_ = 0;
    bool hasLookahead_ = false;
};

class HostFileSystemObject : public FileSystemObject {
  public:
    explicit HostFileSystemObject(const DriveTable& drives) : drives_(drives) {}

    std::unique_ptr<TextStream> OpenTextFile(const std::string& name, int ioMode) override {
        if (ioMode != iomode::kForReading) throw Failure(err::kInvalidCall);
        const auto host = drives_.toHost(name);
        // Others may go on reading, writing, renaming or deleting the file,
        // as on Linux.
        const HANDLE h = ::CreateFileW(apiFilePath(host).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (h == INVALID_HANDLE_VALUE) throw failureOfPath(::GetLastError(), host);
        // Only a plain file is read: a device could give content without end.
        LARGE_INTEGER size{};
        if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileSizeEx(h, &size)) {
            ::CloseHandle(h);
            throw Failure(err::kPathFileAccess);
        }
        return std::make_unique<HostTextStream>(h, static_cast<std::size_t>(size.QuadPart));
    }

  private:
    const DriveTable& drives_;
};

}  // namespace

std::unique_ptr<FileSystemObject> HostComponents::createFileSystemObject() {
    return std::make_unique<HostFileSystemObject>(drives_);
}

}  // namespace morvane

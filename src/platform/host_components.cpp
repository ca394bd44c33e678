#include "platform/host_components.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <string>

#include "platform/failure.h"
#include "platform/host_failure.h"

namespace morvane {
namespace {

class HostTextStream : public TextStream {
  public:
    // `size` is the file's size when it was opened: up to there the stream
    // knows that more is left without asking the system.
    HostTextStream(int fd, std::size_t size) : fd_(fd), size_(size) {}
    ~HostTextStream() override { Close(); }
    HostTextStream(const HostTextStream&) = delete;
    HostTextStream& operator=(const HostTextStream&) = delete;

    // Fills the piece up to the size asked for; only the file's end makes it
    // shorter. Within the size the file had, the piece is made no longer
    // than what is left of it, so a small file costs no filling of a large
    // piece; resizing to the size it already has neither frees nor fills.
    void Read(std::size_t characters, std::string& piece) override {
        requireOpen();
        std::size_t room = characters;
        if (position_ < size_ && size_ - position_ + hasLookahead_ < room) {
            room = size_ - position_ + hasLookahead_;
        }
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
        // Past the size the file had: one character more tells, and waits
        // for the next read. A file that grows meanwhile is read on.
        if (readSome(&lookahead_, 1) == 0) return true;
        hasLookahead_ = true;
        return false;
    }

    // Reads straight into one string sized from the file, so the content is
    // held once and never copied; a file that grows meanwhile is read on.
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
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

  private:
    void requireOpen() const {
        if (fd_ < 0) throw Failure(err::kBadFileNumber);
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
        while (true) {
            const ssize_t got = ::read(fd_, into, room);
            if (got >= 0) {
                ended_ = got == 0;
                position_ += static_cast<std::size_t>(got);
                return static_cast<std::size_t>(got);
            }
            const int error = errno;
            if ((error == EAGAIN || error == EWOULDBLOCK) && waitFromNowOn()) continue;
            if (error != EINTR) throw failureFromErrno(error);
        }
    }

    // A file system that keeps a plain file opened without blocking from
    // waiting for it: the flag goes, and the reads wait from here on.
    bool waitFromNowOn() {
        const int flags = ::fcntl(fd_, F_GETFL);
        return flags >= 0 && (flags & O_NONBLOCK) != 0 &&
               ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) == 0;
    }

    int fd_;
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
        // Opened without blocking, so that a pipe cannot hang the program;
        // only a plain file is read (a device could give content without end).
        // Reads of a plain file wait for the disk whatever the flag, so it
        // stays set (see readSome).
        const int fd = ::open(host.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) throw failureOfPath(errno, host);
        struct stat st;
        if (::fstat(fd, &st) != 0) {
            const int error = errno;
            ::close(fd);
            throw failureFromErrno(error);
        }
        auto stream = std::make_unique<HostTextStream>(fd, static_cast<std::size_t>(st.st_size));
        if (!S_ISREG(st.st_mode)) throw Failure(err::kPathFileAccess);
        return stream;
    }

  private:
    const DriveTable& drives_;
};

}  // namespace

std::unique_ptr<FileSystemObject> HostComponents::createFileSystemObject() {
    return std::make_unique<HostFileSystemObject>(drives_);
}

}  // namespace morvane

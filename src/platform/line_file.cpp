#include "platform/line_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/failure.h"

namespace morvane {
namespace {

constexpr std::size_t kBufferSize = 256 * 1024;

}  // namespace

LineReader::LineReader(int fd) : fd_(fd), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

LineReader::~LineReader() {
    if (fd_ >= 0) ::close(fd_);
}

bool LineReader::fill() {
    if (endSeen_) return false;
    pos_ = 0;
    len_ = 0;
    while (true) {
        const ssize_t got = ::read(fd_, buffer_.get(), kBufferSize);
        if (got > 0) {
            len_ = static_cast<std::size_t>(got);
            return true;
        }
        if (got == 0) {
            endSeen_ = true;
            return false;
        }
        if (errno != EINTR) throw failureFromErrno(errno);
    }
}

bool LineReader::atEnd() { return pos_ >= len_ && !fill(); }

std::string LineReader::readLine() {
    if (atEnd()) throw Failure(err::kInputPastEnd);
    std::string line;
    while (true) {
        const char* start = buffer_.get() + pos_;
        const auto* cr = static_cast<const char*>(std::memchr(start, '\r', len_ - pos_));
        if (cr != nullptr) {
            line.append(start, cr);
            pos_ = static_cast<std::size_t>(cr - buffer_.get()) + 1;
            // A LF right after the CR belongs to the same line end, even when
            // it only arrives with the next buffer.
            if (pos_ < len_ || fill()) {
                if (buffer_[pos_] == '\n') ++pos_;
            }
            return line;
        }
        line.append(start, len_ - pos_);
        pos_ = len_;
        if (!fill()) return line;  // the last line needs no end
    }
}

void LineReader::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

LineWriter::LineWriter(int fd) : fd_(fd) { pending_.reserve(kBufferSize); }

LineWriter::~LineWriter() {
    if (fd_ < 0) return;
    try {
        flush();
    } catch (const Failure&) {
        // Nobody is left to tell; explicit closes report their failures.
    }
    ::close(fd_);
}

void LineWriter::flush() {
    std::size_t done = 0;
    while (done < pending_.size()) {
        const ssize_t put = ::write(fd_, pending_.data() + done, pending_.size() - done);
        if (put >= 0) {
            done += static_cast<std::size_t>(put);
            continue;
        }
        if (errno == EINTR) continue;
        const int error = errno;
        pending_.erase(0, done);  // keep only what has not reached the file
        throw failureFromErrno(error);
    }
    pending_.clear();
}

void LineWriter::writeLine(std::string_view line) {
    const std::size_t lineStart = pending_.size();
    pending_.append(line);
    pending_.append("\r\n");
    if (pending_.size() < kBufferSize) return;
    try {
        flush();
    } catch (const Failure&) {
        // Drop the failed line when none of it was written, so that writing
        // it again does not double it.
        const std::size_t written = lineStart + line.size() + 2 - pending_.size();
        if (written <= lineStart) pending_.resize(lineStart - written);
        throw;
    }
}

void LineWriter::close() {
    if (fd_ < 0) return;
    const int fd = fd_;
    int error = 0;
    // The buffer goes out through fd_, so the descriptor is let go only after.
    try {
        flush();
    } catch (const Failure&) {
        fd_ = -1;
        ::close(fd);
        throw;
    }
    fd_ = -1;
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) error = errno;
    if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
    if (error != 0) throw failureFromErrno(error);
}

}  // namespace morvane

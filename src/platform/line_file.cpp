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
    // Only a used-up buffer is refilled: what it held is in partial_ by now.
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

bool LineReader::atEnd() { return !lineStarted() && pos_ >= len_ && !fill(); }

std::string LineReader::readLine() {
    if (atEnd()) throw Failure(err::kInputPastEnd);
    // The line is gathered in partial_ rather than in a local text, so that a
    // read that throws halfway keeps what came before it, and the call made
    // again goes on where this one stopped.
    while (true) {
        if (crSeen_) {
            // A LF right after the CR belongs to the same line end, even when
            // it only arrives with the next buffer.
            if (pos_ < len_ || fill()) {
                if (buffer_[pos_] == '\n') ++pos_;
            }
            crSeen_ = false;
            break;
        }
        if (pos_ >= len_ && !fill()) break;  // the last line needs no end
        const char* start = buffer_.get() + pos_;
        const auto* cr = static_cast<const char*>(std::memchr(start, '\r', len_ - pos_));
        if (cr != nullptr) {
            partial_.append(start, cr);
            pos_ = static_cast<std::size_t>(cr - buffer_.get()) + 1;
            crSeen_ = true;
            continue;
        }
        partial_.append(start, len_ - pos_);
        pos_ = len_;
    }
    std::string line = std::move(partial_);
    partial_.clear();
    return line;
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
            written_ += static_cast<std::uint64_t>(put);
            continue;
        }
        if (errno == EINTR) continue;
        const int error = errno;
        pending_.erase(0, done);  // keep only what has not reached the file
        throw failureFromErrno(error);
    }
    pending_.clear();
}

void LineWriter::takeBackTo(std::uint64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0 ||
        ::lseek(fd_, static_cast<off_t>(size), SEEK_SET) < 0) {
        brokenError_ = errno;
        throw failureFromErrno(brokenError_);
    }
    written_ = size;
}

void LineWriter::writeLine(std::string_view line) {
    if (brokenError_ != 0) throw failureFromErrno(brokenError_);
    // Where this line begins in the file once everything before it is out.
    const std::uint64_t lineStart = written_ + pending_.size();
    pending_.append(line);
    pending_.append("\r\n");
    if (pending_.size() < kBufferSize) return;
    try {
        flush();
    } catch (const Failure&) {
        if (written_ > lineStart) {
            // The disk stopped inside this line: what came before it is all
            // out, and the piece of it that went out is cut off again.
            pending_.clear();
            takeBackTo(lineStart);
        } else {
            // The disk stopped before this line: it leaves the buffer, the
            // lines before it stay for the next write.
            pending_.resize(pending_.size() - (line.size() + 2));
        }
        throw;
    }
}

void LineWriter::close() {
    if (fd_ < 0) return;
    int error = brokenError_;
    if (error == 0) flush();  // throws with the file still open
    const int fd = fd_;
    fd_ = -1;
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) error = errno;
    if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
    if (error != 0) throw failureFromErrno(error);
}

void LineWriter::abandon() {
    pending_.clear();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace morvane

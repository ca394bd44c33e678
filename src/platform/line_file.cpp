#include "platform/line_file.h"

#include <cstring>
#include <utility>

namespace morvane {
namespace {

constexpr std::size_t kBufferSize = 256 * 1024;

}  // namespace

LineReader::LineReader(std::unique_ptr<ByteFile> file)
    : file_(std::move(file)), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {}

LineReader::~LineReader() = default;

bool LineReader::fill() {
    // Only a used-up buffer is refilled: what it held is in partial_ by now.
    if (endSeen_) return false;
    pos_ = 0;
    len_ = 0;
    const std::size_t got = file_->read(buffer_.get(), kBufferSize);
    if (got == 0) {
        endSeen_ = true;
        return false;
    }
    len_ = got;
    return true;
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
    try {
        file_->close();
    } catch (const Failure&) {
        // Nothing was written through it: a failed close loses nothing.
    }
}

LineWriter::LineWriter(std::unique_ptr<ByteFile> file) : file_(std::move(file)) {
    pending_.reserve(kBufferSize);
}

LineWriter::~LineWriter() {
    if (!file_->isOpen()) return;
    try {
        if (!broken_) flush();
        file_->close();
    } catch (const Failure&) {
        // Nobody is left to tell; explicit closes report their failures.
    }
}

void LineWriter::flush() {
    std::size_t done = 0;
    try {
        while (done < pending_.size()) {
            const std::size_t put = file_->write(pending_.data() + done, pending_.size() - done);
            done += put;
            written_ += put;
        }
    } catch (const Failure&) {
        pending_.erase(0, done);  // keep only what has not reached the file
        throw;
    }
    pending_.clear();
}

void LineWriter::takeBackTo(std::uint64_t size) {
    try {
        file_->truncate(size);
    } catch (const Failure& f) {
        broken_ = f;
        throw;
    }
    written_ = size;
}

void LineWriter::writeLine(std::string_view line) {
    if (broken_) throw *broken_;
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
    if (!file_->isOpen()) return;
    if (!broken_) flush();  // throws with the file still open
    // The file is closed whatever the sync reports; the first failure is told.
    std::optional<Failure> failure = broken_;
    try {
        file_->sync();
    } catch (const Failure& f) {
        if (!failure) failure = f;
    }
    try {
        file_->close();
    } catch (const Failure& f) {
        if (!failure) failure = f;
    }
    if (failure) throw *failure;
}

void LineWriter::abandon() {
    pending_.clear();
    try {
        file_->close();
    } catch (const Failure&) {
        // Given up on purpose: what its close says no longer matters.
    }
}

}  // namespace morvane

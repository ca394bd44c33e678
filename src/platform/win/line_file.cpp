#include "platform/win/line_file.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/failure.h"
#include "platform/win/win_failure.h"

namespace morvane {
namespace {

constexpr std::size_t kBufferSize = 256 * 1024;

}  // namespace

LineReader::LineReader(void* handle)
    : handle_(handle), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {}

LineReader::~LineReader() {
    close();
}

bool LineReader::fill() {
    if (endSeen_) return false;
    pos_ = 0;
    len_ = 0;
    DWORD got = 0;
    if (!::ReadFile(handle_, buffer_.get(), static_cast<DWORD>(kBufferSize), &got, nullptr)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_HANDLE_EOF && error != ERROR_BROKEN_PIPE) {
            throw failureFromWinError(error);
        }
    }
    if (got == 0) {
        endSeen_ = true;
        return false;
    }
    len_ = got;
    return true;
}

bool LineReader::atEnd() {
    return !lineStarted() && pos_ >= len_ && !fill();
}

std::string LineReader::readLine() {
    if (atEnd()) throw Failure(err::kInputPastEnd);
    // The line is gathered in partial_, so that a read that throws halfway
    // keeps what came before it and the call made again goes on from there.
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
    if (handle_ != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
}

LineWriter::LineWriter(void* handle) : handle_(handle) {
    pending_.reserve(kBufferSize);
}

LineWriter::~LineWriter() {
    if (!isOpen()) return;
    try {
        if (brokenError_ == 0) flush();
    } catch (const Failure&) {
        // Nobody is left to tell; explicit closes report their failures.
    }
    ::CloseHandle(handle_);
}

bool LineWriter::isOpen() const {
    return handle_ != INVALID_HANDLE_VALUE;
}

void LineWriter::flush() {
    std::size_t done = 0;
    while (done < pending_.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(pending_.size() - done, 1u << 30));
        DWORD put = 0;
        const BOOL ok = ::WriteFile(handle_, pending_.data() + done, chunk, &put, nullptr);
        done += put;
        written_ += put;
        if (ok && put > 0) continue;
        // A write that takes nothing without an error is a full disk as well.
        const DWORD error = ok ? ERROR_DISK_FULL : ::GetLastError();
        pending_.erase(0, done);  // keep only what has not reached the file
        throw failureFromWinError(error);
    }
    pending_.clear();
}

void LineWriter::takeBackTo(std::uint64_t size) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN) || !::SetEndOfFile(handle_)) {
        brokenError_ = ::GetLastError();
        throw failureFromWinError(brokenError_);
    }
    written_ = size;
}

void LineWriter::writeLine(std::string_view line) {
    if (brokenError_ != 0) throw failureFromWinError(brokenError_);
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
    if (!isOpen()) return;
    DWORD error = brokenError_;
    if (error == 0) flush();  // throws with the file still open
    void* const handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (!::FlushFileBuffers(handle) && error == 0) error = ::GetLastError();
    if (!::CloseHandle(handle) && error == 0) error = ::GetLastError();
    if (error != 0) throw failureFromWinError(error);
}

void LineWriter::abandon() {
    pending_.clear();
    if (isOpen()) {
        ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
}

}  // namespace morvane

// Sequential text files: a reader that hands out lines the way the program's
// platform reads them, and a writer that ends every line with CR LF. Both
// work on bytes (ansi text) with a large buffer, so a long file streams with
// memory bounded by its longest line. They are the same on every host: the
// host's calls are behind the byte file they are given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/byte_file.h"
#include "platform/failure.h"

namespace morvane {

class LineReader {
public:
    // Takes a file open for reading.
    explicit LineReader(std::unique_ptr<ByteFile> file);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // True when no line is left: nothing more to read.
    bool atEnd();
    // The next line without its end. A line ends at CR or at CR LF; a lone LF
    // belongs to the line; the last line needs no end. Failure 62 at the end.
    // A read that fails throws and loses nothing: the next call gives the
    // same line, whole, from its first byte.
    std::string readLine();
    void close();

private:
    // Reads the next piece once the buffer is used up; false at the end of
    // the file.
    bool fill();
    // Whether a line has been started by a call that failed before its end.
    bool lineStarted() const { return crSeen_ || !partial_.empty(); }

    std::unique_ptr<ByteFile> file_;
    std::unique_ptr<char[]> buffer_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool endSeen_ = false;
    // The line gathered so far, kept across a failed read.
    std::string partial_;
    // The line has ended at a CR; a LF right after it is still to be skipped.
    bool crSeen_ = false;
};

class LineWriter {
public:
    // Takes an empty file open for writing, written from its start.
    explicit LineWriter(std::unique_ptr<ByteFile> file);
    // Writes what it can and closes; a failure here goes unreported, so
    // callers close explicitly.
    ~LineWriter();
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    // Buffers the line and CR LF. A write failure is thrown and leaves the
    // file as if this line had never been given: what reached the file of it
    // is taken back, so writing it again puts it in the file exactly once,
    // and going on without it leaves no piece of it. The lines before it stay
    // buffered for the next write.
    void writeLine(std::string_view line);
    // Writes the buffer, syncs the file to disk and closes it. When the
    // buffer cannot be written (a full disk) the file stays open with what is
    // left of it, so that closing again writes the rest; after any other
    // failure the descriptor is closed.
    void close();
    // Closes the file without writing what is still buffered.
    void abandon();
    bool isOpen() const { return file_->isOpen(); }

private:
    void flush();
    // Cuts the file back to `size` bytes, where the next write goes on.
    void takeBackTo(std::uint64_t size);

    std::unique_ptr<ByteFile> file_;
    std::string pending_;
    std::uint64_t written_ = 0;  // bytes that have reached the file
    // A file that could not be cut back holds a piece of a line: every later
    // write and the close fail with this failure instead of completing it.
    std::optional<Failure> broken_;
};

}  // namespace morvane

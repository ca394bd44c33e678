// Sequential text files on Windows, over file handles: a reader that hands
// out lines the way the program's platform reads them, and a writer that ends
// every line with CR LF. Both work on bytes (ansi text), whatever the system's
// code page, with a large buffer, so a long file streams with memory bounded
// by its longest line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace morvane {

class LineReader {
  public:
    // Takes ownership of an open file handle (a HANDLE).
    explicit LineReader(void* handle);
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
    // Reads the next piece once the buffer is used up; false at the end.
    bool fill();
    bool lineStarted() const { return crSeen_ || !partial_.empty(); }

    void* handle_;
    std::unique_ptr<char[]> buffer_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool endSeen_ = false;
    std::string partial_;  // the line gathered so far, kept across a failed read
    bool crSeen_ = false;  // the line ended at a CR; a LF right after it is to be skipped
};

class LineWriter {
  public:
    // Takes ownership of an open file handle (a HANDLE).
    explicit LineWriter(void* handle);
    // Writes what it can and closes; a failure here goes unreported, so
    // callers close explicitly.
    ~LineWriter();
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    // Buffers the line and CR LF. A write failure is thrown and leaves the
    // file as if this line had never been given: what reached the file of it
    // is cut off again, so writing it again puts it in the file exactly once.
    // The lines before it stay buffered for the next write.
    void writeLine(std::string_view line);
    // Writes the buffer, flushes the file to disk (FlushFileBuffers) and
    // closes it. When the buffer cannot be written (a full disk) the file
    // stays open with what is left, so that closing again writes the rest;
    // after any other failure the handle is closed.
    void close();
    // Closes the file without writing what is still buffered.
    void abandon();
    bool isOpen() const;

  private:
    void flush();
    void takeBackTo(std::uint64_t size);

    void* handle_;
    std::string pending_;
    std::uint64_t written_ = 0;  // bytes that have reached the file
    // A file that could not be cut back holds a piece of a line: every later
    // write and the close fail with this error instead of completing it.
    std::uint32_t brokenError_ = 0;
};

}  // namespace morvane

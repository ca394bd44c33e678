// Sequential text files on the host: a reader that hands out lines the way
// the program's platform reads them, and a writer that ends every line with
// CR LF. Both work on bytes (ansi text) with a large buffer, so a long file
// streams with memory bounded by its longest line.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace morvane {

class LineReader {
public:
    // Takes ownership of an open file descriptor.
    explicit LineReader(int fd);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // True when no line is left: nothing more to read.
    bool atEnd();
    // The next line without its end. A line ends at CR or at CR LF; a lone LF
    // belongs to the line; the last line needs no end. Failure 62 at the end.
    std::string readLine();
    void close();

private:
    bool fill();  // reads more; false at the end of the file

    int fd_;
    std::unique_ptr<char[]> buffer_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool endSeen_ = false;
};

class LineWriter {
public:
    // Takes ownership of an open file descriptor.
    explicit LineWriter(int fd);
    // Writes what it can and closes; a failure here goes unreported, so
    // callers close explicitly.
    ~LineWriter();
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    // Buffers the line and CR LF. A write failure is thrown; the line that
    // failed is dropped unless part of it already reached the file.
    void writeLine(std::string_view line);
    // Writes the buffer, syncs the file to disk and closes it. The descriptor
    // is closed even when this throws.
    void close();

private:
    void flush();

    int fd_;
    std::string pending_;
};

}  // namespace morvane

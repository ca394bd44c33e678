// A host file open for sequential reading or writing: the one seam between
// the line files and the host's system calls. Each host implements it once
// (posix_file.h, win/win_file.h); the line reader and writer above it are the
// same on every host.
#pragma once

#include <cstddef>
#include <cstdint>

namespace morvane {

class ByteFile {
  public:
    virtual ~ByteFile() = default;
    // Reads up to `size` bytes into `into`: how many, 0 at the end of the
    // file. Throws Failure when the host reports an error.
    virtual std::size_t read(char* into, std::size_t size) = 0;
    // Writes some of the bytes, at least one, and tells how many; throws
    // Failure when none could be written (a full disk).
    virtual std::size_t write(const char* from, std::size_t size) = 0;
    // Cuts the file back to `size` bytes; the next write goes there.
    virtual void truncate(std::uint64_t size) = 0;
    // Puts everything written on disk.
    virtual void sync() = 0;
    // Closes the file, throwing what the close reports; closing again does
    // nothing.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

}  // namespace morvane

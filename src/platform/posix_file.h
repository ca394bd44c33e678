// The byte file on a POSIX host: a file descriptor and its system calls.
#pragma once

#include <memory>

#include "platform/byte_file.h"

namespace morvane {

class PosixFile : public ByteFile {
  public:
    // Takes ownership of an open file descriptor.
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override;
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    std::size_t read(char* into, std::size_t size) override;
    std::size_t write(const char* from, std::size_t size) override;
    void truncate(std::uint64_t size) override;
    void sync() override;
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }

  private:
    int fd_;
};

inline std::unique_ptr<ByteFile> posixFile(int fd) { return std::make_unique<PosixFile>(fd); }

}  // namespace morvane

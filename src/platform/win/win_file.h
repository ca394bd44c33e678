// The byte file on Windows: a file handle and ReadFile, WriteFile,
// SetEndOfFile, FlushFileBuffers and CloseHandle.
#pragma once

#include <memory>

#include "platform/byte_file.h"

namespace morvane {

class WinFile : public ByteFile {
  public:
    // Takes ownership of an open file handle.
    explicit WinFile(void* handle) : handle_(handle) {}
    ~WinFile() override;
    WinFile(const WinFile&) = delete;
    WinFile& operator=(const WinFile&) = delete;

    std::size_t read(char* into, std::size_t size) override;
    std::size_t write(const char* from, std::size_t size) override;
    void truncate(std::uint64_t size) override;
    void sync() override;
    void close() override;
    bool isOpen() const override;

  private:
    void* handle_;
};

inline std::unique_ptr<ByteFile> winFile(void* handle) { return std::make_unique<WinFile>(handle); }

}  // namespace morvane

// The file services on a Windows host: program paths go through the drive
// table (the machine's drives as they are, or letters mapped to folders),
// names and paths cross the wide API as UTF-16, and file contents stay
// Windows-1252 bytes whatever the system's code page.
//
// Provides: the folder listing (long names only; * and ?; hidden and system
// files by the attribute selection), the file-number pool 1-255, line files
// for reading and writing, delete, and a rename that never replaces and is
// written through. Paths longer than 260 characters work. Does not provide:
// random or binary file access, locking of ranges.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drives.h"
#include "platform/files.h"

namespace morvane {

class LineReader;
class LineWriter;

class HostFileServices : public FileServices {
  public:
    explicit HostFileServices(DriveTable& drives);
    // Closes every file still open, writing out what was buffered.
    ~HostFileServices() override;
    HostFileServices(const HostFileServices&) = delete;
    HostFileServices& operator=(const HostFileServices&) = delete;

    std::string dir(const std::string& pattern, int attributes) override;
    std::string dirNext() override;

    int freeFile() override;
    // 53 when the file does not exist, 75 for a folder or a device, 70 when
    // another program holds it without letting others read it.
    void openForInput(const std::string& name, int number) override;
    // Makes a new file under the name: an existing file there is removed
    // first (a link too, so nothing is written through it), unless it may not
    // be written (read-only, or held by another program: 70), is a folder
    // (75) or is open under another number (55).
    void openForOutput(const std::string& name, int number) override;
    bool eof(int number) override;
    std::string lineInput(int number) override;
    void printLine(int number, std::string_view ansiLine) override;
    // The file is flushed to disk before its handle is closed.
    void close(int number) override;
    void abandon(int number) override;
    bool isOpen(int number) const override;

    void kill(const std::string& name) override;
    // MoveFileExW without replacing and written through; 58 when the new
    // name exists in any letter case, 74 to another drive, 70 for a file
    // with the read-only attribute, which is neither written, deleted nor
    // renamed.
    void rename(const std::string& from, const std::string& to) override;

    static constexpr int kMaxFileNumber = 255;

  private:
    struct OpenFile;
    // Which file on which volume, as Windows tells it.
    struct FileId {
        std::uint32_t volume = 0;
        std::uint64_t index = 0;
        bool operator==(const FileId&) const = default;
    };

    OpenFile& openFile(int number);
    void checkFreeNumber(int number) const;
    bool isOpenAs(const FileId& id, bool forWritingOnly) const;

    DriveTable& drives_;
    std::array<std::unique_ptr<OpenFile>, kMaxFileNumber + 1> files_;
    std::vector<std::string> listing_;
    std::size_t listingNext_ = 0;
    bool listingActive_ = false;
};

}  // namespace morvane

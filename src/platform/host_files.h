// The file services on a Linux host: program paths go through the drive
// table, names are matched without regard to letter case, and sequential
// files are streamed with large buffers.
//
// Provides: folder listing (plain files; * and ?), the file-number pool 1-255,
// line files for reading and writing, delete, and a rename that never
// replaces. Does not provide: random or binary file access, system or
// read-only attributes (the host has none; names starting with a dot count as
// hidden).
#pragma once

#include <sys/stat.h>

#include <array>
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
    void openForInput(const std::string& name, int number) override;
    void openForOutput(const std::string& name, int number) override;
    bool eof(int number) override;
    std::string lineInput(int number) override;
    void printLine(int number, std::string_view ansiLine) override;
    void close(int number) override;
    void abandon(int number) override;
    bool isOpen(int number) const override;

    void kill(const std::string& name) override;
    void rename(const std::string& from, const std::string& to) override;
    // Every entry of the folder counts, hidden entries and folders included;
    // they come from the folder's index where it has one.
    std::vector<std::string> caseVariants(const std::string& name) override;

    static constexpr int kMaxFileNumber = 255;

  private:
    struct OpenFile;

    // The open file under a number; 52 when the number is not open.
    OpenFile& openFile(int number);
    // Checks a number that is about to be opened: 52 outside 1-255, 55 in use.
    void checkFreeNumber(int number) const;
    // Whether the host file is open under some number (for writing only, or
    // in any way).
    bool isOpenAs(const struct stat& st, bool forWritingOnly) const;

    DriveTable& drives_;
    std::array<std::unique_ptr<OpenFile>, kMaxFileNumber + 1> files_;
    std::vector<std::string> listing_;
    std::size_t listingNext_ = 0;
    bool listingActive_ = false;
};

}  // namespace morvane

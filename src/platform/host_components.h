// The text-file component on a Linux host: each file-system object opens
// files through the drive table, and its text stream reads the file in pieces
// of the size asked for, or whole.
//
// Provides: OpenTextFile for reading, Read, AtEndOfStream, ReadAll, Close.
// Does not provide: writing or appending, Unicode files, line-by-line reading.
#pragma once

#include <memory>

#include "platform/components.h"
#include "platform/drives.h"

namespace morvane {

class HostComponents : public Components {
  public:
    explicit HostComponents(const DriveTable& drives) : drives_(drives) {}
    std::unique_ptr<FileSystemObject> createFileSystemObject() override;

  private:
    const DriveTable& drives_;
};

}  // namespace morvane

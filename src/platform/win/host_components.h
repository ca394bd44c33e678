// The text-file component on a Windows host: each file-system object opens
// files through the drive table with the wide API, and its text stream reads
// the whole file itself (CreateFileW and ReadFile), not through a COM
// component, so the content comes back as the file's bytes on any system.
//
// Provides: OpenTextFile for reading, ReadAll, Close. Does not provide:
// writing or appending, Unicode files, line-by-line reading.
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

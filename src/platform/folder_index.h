// What a few folders hold, kept so that a name can be looked up without
// regard to letter case in about the same time whatever the folder's size,
// instead of reading the whole folder for each lookup.
//
// An index is never trusted without a check. The kernel reports every change
// of a watched folder's names (inotify) before the call that made it returns,
// whichever program made it; each use first reads those reports and applies
// them, so it sees every change that finished before it, in the same clock
// tick or not. Whatever the reports cannot vouch for drops the index: a lost
// report (the kernel's queue overflowed), the folder itself moved, deleted or
// unmounted, the path now naming another folder (device and inode), or a
// change stamp (mtime, ctime) that moved with no report to explain it.
// File systems whose changes may come from elsewhere without a report
// (network and user-space file systems, ...) get no index at all.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

class FolderIndex {
  public:
    // At most `folders` folders and `names` names in all are kept; the least
    // recently used folder gives way to a new one.
    explicit FolderIndex(std::size_t folders = kFolders, std::size_t names = kNames);
    ~FolderIndex();
    FolderIndex(const FolderIndex&) = delete;
    FolderIndex& operator=(const FolderIndex&) = delete;

    // The one the drive table and the file services share.
    static FolderIndex& shared();

    // The names of the entries of `folder` that equal `name` without regard to
    // letter case, in byte order; nothing when the folder has no index (its
    // file system is not one whose every change is reported, it cannot be
    // read or watched, it is too large), and the caller reads it itself.
    // The index is built at the first call for a folder.
    std::optional<std::vector<std::string>> variants(const std::filesystem::path& folder,
                                                     std::string_view name);

    // Whether an index of the folder is kept now, after checking it as a
    // lookup would; builds none.
    bool holds(const std::filesystem::path& folder);

    static constexpr std::size_t kFolders = 4;
    static constexpr std::size_t kNames = 1000000;

  private:
    struct Folder;

    // Applies what the kernel reported; false when the queue of reports
    // overflowed or could not be read, and every index was dropped.
    void drain();
    // The index of the folder the path names now, checked; null when none is kept.
    Folder* checked(const std::filesystem::path& folder);
    Folder* build(const std::filesystem::path& folder);
    void drop(Folder* folder);
    void dropAll();
    std::size_t namesKept() const;
    // Whether the queue of reports is open, for this process.
    bool watching();

    std::mutex mutex_;
    std::size_t maxFolders_;
    std::size_t maxNames_;
    int inotify_ = -1;
    pid_t owner_ = 0;  // the process that opened the queue
    std::uint64_t uses_ = 0;
    std::vector<std::unique_ptr<Folder>> folders_;
};

}  // namespace morvane

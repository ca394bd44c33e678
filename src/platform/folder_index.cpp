// Case-blind indexes of folders, kept coherent by inotify.
//
// Why an index can be trusted when it is used:
// - The watch is placed on the folder before its names are read, so each
//   change is either in what was read or reported afterwards (or both:
//   applying a report over what was read gives the same end state). The
//   watch is placed through the descriptor that is read, so both are the same
//   folder even if its path changes meanwhile.
// - The kernel queues a report before the call that changed the folder
//   returns, so reading the queue before each use sees every change that
//   ended before it, this program's own included, however close together
//   (a folder's mtime cannot tell two changes in one clock tick apart; the
//   reports can).
// - The folder's path is looked up before the queue is read, and the index is
//   found by the device and inode it names. A folder that was deleted,
//   moved or unmounted has reported so before its inode could name another
//   folder, and its index is gone by the time it is looked for.
// - A lost report (the queue overflowed) drops every index; a change stamp
//   (mtime, ctime) that moved while nothing was reported drops the folder's.
// - Only file systems where every change passes through this kernel are
//   indexed; on network and user-space ones another machine can change a
//   folder without a report, and the folder is read for each lookup instead.
#include "platform/folder_index.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <unordered_set>

#include "platform/case_key.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace morvane {
namespace {

// Names that are equal without regard to letter case hash alike: the hash
// is taken over the same keys that textEquals compares.
struct CaseBlindHash {
    std::size_t operator()(std::string_view name) const {
        std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
        std::size_t pos = 0;
        while (pos < name.size()) {
            hash ^= caseKeyAt(name, pos);
            hash *= 1099511628211ULL;
        }
        return static_cast<std::size_t>(hash);
    }
};

struct CaseBlindEqual {
    bool operator()(std::string_view a, std::string_view b) const { return textEquals(a, b); }
};

using Names = std::unordered_multiset<std::string, CaseBlindHash, CaseBlindEqual>;

constexpr std::uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
// The folder itself went away or moved; IN_IGNORED and IN_UNMOUNT come unasked.
constexpr std::uint32_t kSelfEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

// Local file systems, where every change of a folder is made by this kernel
// and reported. Anything else (NFS, SMB, FUSE, 9p, overlays, ...) is not indexed.
bool reportsEveryChange(decltype(statfs::f_type) type) {
    switch (type) {
        case EXT4_SUPER_MAGIC:  // also ext2 and ext3
        case XFS_SUPER_MAGIC:
        case BTRFS_SUPER_MAGIC:
        case TMPFS_MAGIC:
        case RAMFS_MAGIC:
        case F2FS_SUPER_MAGIC:
            return true;
        default:
            return false;
    }
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

struct FolderIndex::Folder {
    dev_t device = 0;
    ino_t inode = 0;
    int watch = -1;
    // The change stamp when the index was last known to match the folder.
    timespec mtime{};
    timespec ctime{};
    bool reported = false;  // changes were applied since the stamp was taken
    std::uint64_t lastUse = 0;
    Names names;

    bool has(const std::string& name) const {
        const auto [first, last] = names.equal_range(name);
        return std::any_of(first, last, [&](const std::string& n) { return n == name; });
    }
    void erase(const std::string& name) {
        auto [first, last] = names.equal_range(name);
        for (auto it = first; it != last; ++it) {
            if (*it == name) {
                names.erase(it);
                return;
            }
        }
    }
};

FolderIndex::FolderIndex(std::size_t folders, std::size_t names)
    : maxFolders_(std::max<std::size_t>(folders, 1)), maxNames_(names) {}

FolderIndex::~FolderIndex() {
    if (inotify_ >= 0) ::close(inotify_);
}

FolderIndex& FolderIndex::shared() {
    static FolderIndex index;
    return index;
}

bool FolderIndex::watching() {
    // A child process shares its parent's queue of reports: reading it here
    // would take reports away from the parent, so the child starts afresh.
    if (inotify_ >= 0 && owner_ != ::getpid()) {
        folders_.clear();
        ::close(inotify_);
        inotify_ = -1;
    }
    if (inotify_ < 0) {
        inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        owner_ = ::getpid();
    }
    return inotify_ >= 0;
}

void FolderIndex::drain() {
    if (inotify_ < 0) return;
    alignas(inotify_event) char buffer[64 * 1024];
    while (true) {
        const ssize_t got = ::read(inotify_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            // EAGAIN: the queue is empty. Anything else leaves it in doubt.
            if (got < 0 && errno != EAGAIN) dropAll();
            return;
        }
        for (const char* p = buffer; p < buffer + got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(p);
            p += sizeof(inotify_event) + event->len;
            if ((event->mask & IN_Q_OVERFLOW) != 0) {
                dropAll();
                continue;
            }
            const auto it = std::find_if(folders_.begin(), folders_.end(),
                                         [&](const auto& f) { return f->watch == event->wd; });
            if (it == folders_.end()) continue;
            Folder& folder = **it;
            if ((event->mask & kSelfEvents) != 0) {
                drop(&folder);
                continue;
            }
            folder.reported = true;
            if (event->len == 0) continue;
            const std::string name = event->name;
            if ((event->mask & (IN_CREATE | IN_MOVED_TO)) != 0) {
                if (folder.has(name)) continue;
                if (namesKept() >= maxNames_) {
                    drop(&folder);
                    continue;
                }
                folder.names.insert(name);
            } else if ((event->mask & (IN_DELETE | IN_MOVED_FROM)) != 0) {
                folder.erase(name);
            }
        }
    }
}

std::size_t FolderIndex::namesKept() const {
    std::size_t total = 0;
    for (const auto& f : folders_) total += f->names.size();
    return total;
}

FolderIndex::Folder* FolderIndex::checked(const fs::path& folder) {
    if (!watching()) return nullptr;
    // The path first, then the reports: a folder that the path no longer
    // names has reported its end by then.
    struct stat st;
    const bool found = ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    drain();
    if (!found) return nullptr;
    const auto it = std::find_if(folders_.begin(), folders_.end(), [&](const auto& f) {
        return f->device == st.st_dev && f->inode == st.st_ino;
    });
    if (it == folders_.end()) return nullptr;
    Folder* f = it->get();
    if (f->reported) {
        f->mtime = st.st_mtim;
        f->ctime = st.st_ctim;
        f->reported = false;
    } else if (!sameTime(f->mtime, st.st_mtim) || !sameTime(f->ctime, st.st_ctim)) {
        // Changed, and nothing said how.
        drop(f);
        return nullptr;
    }
    f->lastUse = ++uses_;
    return f;
}

FolderIndex::Folder* FolderIndex::build(const fs::path& folder) {
    if (!watching()) return nullptr;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct statfs fsInfo;
    struct stat st;
    if (::fstatfs(fd, &fsInfo) != 0 || !reportsEveryChange(fsInfo.f_type) ||
        ::fstat(fd, &st) != 0) {
        ::close(fd);
        return nullptr;
    }
    // Watched through the descriptor, so the watch is on the folder read below.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const int watch =
        ::inotify_add_watch(inotify_, self.c_str(), kNameEvents | kSelfEvents | IN_ONLYDIR);
    const bool watchInUse = std::any_of(folders_.begin(), folders_.end(),
                                        [&](const auto& f) { return f->watch == watch; });
    if (watch < 0 || watchInUse) {
        ::close(fd);
        return nullptr;
    }
    while (folders_.size() >= maxFolders_) {
        const auto oldest =
            std::min_element(folders_.begin(), folders_.end(),
                             [](const auto& a, const auto& b) { return a->lastUse < b->lastUse; });
        drop(oldest->get());
    }

    auto index = std::make_unique<Folder>();
    index->device = st.st_dev;
    index->inode = st.st_ino;
    index->watch = watch;
    index->mtime = st.st_mtim;
    index->ctime = st.st_ctim;
    index->lastUse = ++uses_;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        ::inotify_rm_watch(inotify_, watch);
        return nullptr;
    }
    const std::size_t room = maxNames_ - std::min(maxNames_, namesKept());
    bool complete = true;
    while (true) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            complete = errno == 0;
            break;
        }
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (index->names.size() >= room) {
            complete = false;
            break;
        }
        index->names.emplace(name);
    }
    ::closedir(dir);
    if (!complete) {
        ::inotify_rm_watch(inotify_, watch);
        return nullptr;
    }
    Folder* built = index.get();
    folders_.push_back(std::move(index));
    // The changes made while the folder was read.
    drain();
    const bool kept = std::any_of(folders_.begin(), folders_.end(),
                                  [&](const auto& f) { return f.get() == built; });
    return kept ? built : nullptr;
}

void FolderIndex::drop(Folder* folder) {
    const auto it = std::find_if(folders_.begin(), folders_.end(),
                                 [&](const auto& f) { return f.get() == folder; });
    if (it == folders_.end()) return;
    // Its reports stop; a watch the kernel already removed is let be.
    ::inotify_rm_watch(inotify_, folder->watch);
    folders_.erase(it);
}

void FolderIndex::dropAll() {
    for (const auto& f : folders_) ::inotify_rm_watch(inotify_, f->watch);
    folders_.clear();
}

std::optional<std::vector<std::string>> FolderIndex::variants(const fs::path& folder,
                                                              std::string_view name) {
    const std::lock_guard lock(mutex_);
    Folder* index = checked(folder);
    if (index == nullptr) index = build(folder);
    if (index == nullptr) return std::nullopt;
    std::vector<std::string> found;
    const auto [first, last] = index->names.equal_range(std::string(name));
    found.assign(first, last);
    std::sort(found.begin(), found.end());
    return found;
}

bool FolderIndex::holds(const fs::path& folder) {
    const std::lock_guard lock(mutex_);
    return checked(folder) != nullptr;
}

}  // namespace morvane

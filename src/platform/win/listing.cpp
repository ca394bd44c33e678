#include "platform/win/listing.h"

#include <windows.h>

#include "platform/text.h"
#include "platform/wildcard.h"
#include "platform/win/long_path.h"
#include "platform/win/wide.h"
#include "platform/win/win_failure.h"

namespace fs = std::filesystem;

namespace morvane {
namespace {

// Attribute bits of the selection beyond plain files: they are Windows' own
// attribute bits, so hidden and system entries are chosen by a mask.
constexpr int kDirectory = 16;
constexpr DWORD kSelectable = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The attributes of the file a link leads to, or nothing for a link that
// leads nowhere.
bool linkTarget(const fs::path& link, DWORD& attributes) {
    const HANDLE h = ::CreateFileW(apiPath(link).c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = ::GetFileInformationByHandle(h, &info) != 0;
    ::CloseHandle(h);
    if (ok) attributes = info.dwFileAttributes;
    return ok;
}

// Whether an entry with these attributes belongs in a listing with this
// selection. Links count as what they lead to; a link that leads nowhere is
// left out, as on Linux.
bool selected(const fs::path& folder, const WIN32_FIND_DATAW& entry, int selection) {
    DWORD attributes = entry.dwFileAttributes;
    if ((attributes & kSelectable & ~static_cast<DWORD>(selection)) != 0) return false;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
        !linkTarget(folder / entry.cFileName, attributes)) {
        return false;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return (selection & kDirectory) != 0;
    return (attributes & FILE_ATTRIBUTE_DEVICE) == 0;
}

bool isDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// Errors that mean "no such folder" rather than "the folder failed".
bool isMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_DIRECTORY || error == ERROR_INVALID_NAME || error == ERROR_NO_MORE_FILES;
}

class Search {
  public:
    explicit Search(const fs::path& what) {
        // The basic information leaves out the short names, which the
        // listing does not use, and large fetches suit long folders.
        handle_ = ::FindFirstFileExW(apiPath(what).c_str(), FindExInfoBasic, &entry_,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (handle_ == INVALID_HANDLE_VALUE) error_ = ::GetLastError();
    }
    ~Search() {
        if (handle_ != INVALID_HANDLE_VALUE) ::FindClose(handle_);
    }
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;

    bool found() const { return handle_ != INVALID_HANDLE_VALUE; }
    DWORD error() const { return error_; }
    const WIN32_FIND_DATAW& entry() const { return entry_; }
    // The next entry; false at the end, throwing when the folder fails.
    bool next() {
        if (::FindNextFileW(handle_, &entry_)) return true;
        const DWORD error = ::GetLastError();
        if (error != ERROR_NO_MORE_FILES) throw failureFromWinError(error);
        return false;
    }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DWORD error_ = 0;
    WIN32_FIND_DATAW entry_{};
};

}  // namespace

std::vector<std::string> listFolder(const fs::path& folder, const std::string& pattern,
                                    int attributes) {
    std::vector<std::string> names;
    Search search(folder / L"*");
    if (!search.found()) {
        if (isMissing(search.error())) return names;
        throw failureFromWinError(search.error());
    }
    const WildcardPattern matcher(pattern);
    do {
        const WIN32_FIND_DATAW& entry = search.entry();
        if (isDotEntry(entry.cFileName)) continue;
        std::string name = toUtf8(entry.cFileName);
        if (matcher.matches(name) && selected(folder, entry, attributes)) {
            names.push_back(std::move(name));
        }
    } while (search.next());
    return names;
}

std::vector<std::string> listOne(const fs::path& file, int attributes) {
    std::vector<std::string> names;
    Search search(file);
    if (!search.found()) {
        if (isMissing(search.error())) return names;
        throw failureFromWinError(search.error());
    }
    const WIN32_FIND_DATAW& entry = search.entry();
    std::string name = toUtf8(entry.cFileName);
    if (textEquals(name, toUtf8(file.filename().native())) &&
        selected(file.parent_path(), entry, attributes)) {
        names.push_back(std::move(name));
    }
    return names;
}

fs::path storedSpelling(const fs::path& file) {
    Search search(file);
    if (!search.found()) return file;
    return file.parent_path() / search.entry().cFileName;
}

}  // namespace morvane

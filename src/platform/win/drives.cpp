// The drive table on Windows: the machine's own drives, each with the current
// folder that Windows keeps for it, and program paths that are host paths
// already. Tests and other callers may still map a letter to a folder of
// their choice, which then stands in for that drive as on Linux.
//
// Provides: the drives of GetLogicalDriveStringsW, each drive's current folder
// as the process has it, the start drive of the current folder. Does not
// provide: a case-blind search of names (Windows matches names without regard
// to case itself) or the resolution of the on-disk spelling of a name.
#include "platform/drives.h"

#include <windows.h>

#include <cctype>
#include <optional>
#include <system_error>

#include "platform/failure.h"
#include "platform/win/long_path.h"
#include "platform/win/wide.h"

namespace fs = std::filesystem;

namespace morvane {
namespace {

char lowerLetter(char letter) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
}

bool isDriveLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// The folder as an absolute path without `.`, `..` or `/`.
fs::path normalFolder(const fs::path& folder) {
    std::error_code ec;
    fs::path absolute = fs::absolute(folder, ec);
    if (ec) absolute = folder;
    std::wstring text = absolute.lexically_normal().native();
    // Keep the separator of a drive root ("c:\"), drop it elsewhere.
    while (text.size() > 3 && text.back() == L'\\') text.pop_back();
    return fs::path(text);
}

// Splits the folder part of a program path into names, applying `.` and `..`.
void appendComponents(std::vector<std::string>& parts, std::string_view text) {
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = pos;
        while (end < text.size() && !isSeparator(text[end])) ++end;
        const std::string_view name = text.substr(pos, end - pos);
        if (name == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!name.empty() && name != ".") {
            parts.emplace_back(name);
        }
        pos = end + 1;
    }
}

// The names of a host path below its root, in order.
std::vector<std::wstring> namesOf(const fs::path& path) {
    std::vector<std::wstring> names;
    for (const fs::path& part : path.relative_path()) {
        if (!part.empty()) names.push_back(part.native());
    }
    return names;
}

bool sameName(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The names of `path` below `folder`, or nothing when `folder` does not hold
// it. Roots and names compare without regard to case, as Windows compares them.
std::optional<std::vector<std::wstring>> namesBelow(const fs::path& folder, const fs::path& path) {
    if (!sameName(folder.root_name().native(), path.root_name().native())) return std::nullopt;
    const std::vector<std::wstring> outer = namesOf(folder);
    std::vector<std::wstring> inner = namesOf(path);
    if (inner.size() < outer.size()) return std::nullopt;
    for (std::size_t i = 0; i < outer.size(); ++i) {
        if (!sameName(outer[i], inner[i])) return std::nullopt;
    }
    inner.erase(inner.begin(), inner.begin() + static_cast<std::ptrdiff_t>(outer.size()));
    return inner;
}

std::string programPath(char letter, const std::vector<std::wstring>& names) {
    std::string program{letter, ':', '\\'};
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) program += '\\';
        program += toUtf8(names[i]);
    }
    return program;
}

bool isFolder(const fs::path& host) {
    const DWORD attributes = ::GetFileAttributesW(apiPath(host).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The current folder that Windows keeps for a drive: the process's own for
// the drive it is on, the one remembered for each other drive, else its root.
std::wstring currentFolderOfDrive(wchar_t letter) {
    const wchar_t drive[] = {letter, L':', L'\0'};
    std::wstring full(MAX_PATH, L'\0');
    DWORD length = ::GetFullPathNameW(drive, static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length = ::GetFullPathNameW(drive, length, full.data(), nullptr);
    }
    if (length == 0 || length >= full.size()) return std::wstring{letter, L':', L'\\'};
    full.resize(length);
    return full;
}

}  // namespace

DriveTable DriveTable::fromHost() {
    DriveTable table;
    std::wstring roots(256, L'\0');
    DWORD length = ::GetLogicalDriveStringsW(static_cast<DWORD>(roots.size()), roots.data());
    if (length > roots.size()) {
        roots.resize(length);
        length = ::GetLogicalDriveStringsW(length, roots.data());
    }
    roots.resize(length);
    // "A:\", "C:\", ... each ended by a NUL.
    for (std::size_t pos = 0; pos < roots.size();) {
        const std::size_t end = roots.find(L'\0', pos);
        const std::wstring root = roots.substr(pos, end - pos);
        pos = end == std::wstring::npos ? roots.size() : end + 1;
        if (root.size() < 2 || root[1] != L':' || root[0] > 0x7F ||
            !isDriveLetter(static_cast<char>(root[0]))) {
            continue;
        }
        const char letter = lowerLetter(static_cast<char>(root[0]));
        table.map(letter, std::wstring{root[0], L':', L'\\'});
        const fs::path current = currentFolderOfDrive(root[0]);
        if (auto names = namesBelow(table.drives_[letter].host, current)) {
            table.drives_[letter].current = programPath(letter, *names);
        }
    }

    // The start drive is the one of the current folder; a current folder on a
    // network path without a letter starts on the first fixed drive there is.
    std::error_code ec;
    const fs::path here = fs::current_path(ec);
    const std::wstring root = ec ? std::wstring() : here.root_name().native();
    if (root.size() == 2 && root[1] == L':' && root[0] <= 0x7F &&
        table.hasDrive(static_cast<char>(root[0]))) {
        table.startDrive_ = lowerLetter(static_cast<char>(root[0]));
    } else if (table.hasDrive('c')) {
        table.startDrive_ = 'c';
    } else if (!table.drives_.empty()) {
        table.startDrive_ = table.drives_.begin()->first;
    }
    return table;
}

void DriveTable::map(char letter, const fs::path& hostFolder) {
    if (!isDriveLetter(letter)) throw Failure(err::kInvalidCall);
    const char l = lowerLetter(letter);
    drives_[l] = Drive{normalFolder(hostFolder), std::string{l, ':', '\\'}};
}

std::vector<char> DriveTable::letters() const {
    std::vector<char> out;
    for (const auto& entry : drives_) out.push_back(entry.first);
    return out;
}

bool DriveTable::hasDrive(char letter) const {
    return drives_.count(lowerLetter(letter)) != 0;
}

fs::path DriveTable::hostFolder(char letter) const {
    const auto it = drives_.find(lowerLetter(letter));
    if (it == drives_.end()) throw Failure(err::kPathNotFound);
    return it->second.host;
}

std::string DriveTable::currentFolder(char letter) const {
    const auto it = drives_.find(lowerLetter(letter));
    if (it == drives_.end()) throw Failure(err::kPathNotFound);
    return it->second.current;
}

void DriveTable::setCurrentFolder(char letter, const std::string& programPath) {
    const char l = lowerLetter(letter);
    const auto it = drives_.find(l);
    if (it == drives_.end()) throw Failure(err::kPathNotFound);
    // A path without a drive is taken on this drive, not on the start drive.
    std::string path = programPath;
    if (path.size() < 2 || path[1] != ':' || !isDriveLetter(path[0])) {
        path = std::string{l, ':'} + path;
    } else if (lowerLetter(path[0]) != l) {
        throw Failure(err::kPathNotFound);
    }
    const fs::path host = toHost(path);
    if (!isFolder(host)) throw Failure(err::kPathNotFound);
    it->second.current = toProgram(host);
}

void DriveTable::setStartDrive(char letter) {
    if (!hasDrive(letter)) throw Failure(err::kPathNotFound);
    startDrive_ = lowerLetter(letter);
}

fs::path DriveTable::toHost(const std::string& programPath) const {
    std::string_view rest = programPath;
    char letter = startDrive_;
    if (rest.size() >= 2 && rest[1] == ':' && isDriveLetter(rest[0])) {
        letter = lowerLetter(rest[0]);
        rest.remove_prefix(2);
    }
    const auto it = drives_.find(letter);
    if (it == drives_.end()) throw Failure(err::kPathNotFound);
    const Drive& drive = it->second;

    std::vector<std::string> parts;
    if (rest.empty() || !isSeparator(rest.front())) {
        // Relative to the drive's current folder, which is stored after "x:\".
        appendComponents(parts, std::string_view(drive.current).substr(2));
    }
    appendComponents(parts, rest);

    std::wstring host = drive.host.native();
    for (const std::string& name : parts) {
        if (!host.empty() && host.back() != L'\\') host += L'\\';
        host += toWide(name);
    }
    return fs::path(host);
}

std::string DriveTable::toProgram(const fs::path& hostPath) const {
    std::error_code ec;
    fs::path absolute = fs::absolute(hostPath, ec);
    if (ec) absolute = hostPath;
    absolute = absolute.lexically_normal();

    std::optional<std::pair<char, std::vector<std::wstring>>> best;
    for (const auto& [letter, drive] : drives_) {
        auto rest = namesBelow(drive.host, absolute);
        if (rest && (!best || rest->size() < best->second.size())) {
            best.emplace(letter, std::move(*rest));
        }
    }
    if (!best) throw Failure(err::kPathNotFound);
    return programPath(best->first, best->second);
}

}  // namespace morvane

// Drive letters over host folders, and the translation of program paths
// (C:\Proyectos\App.vbp) to host paths and back. Host names are matched
// without regard to letter case, so a program that spells a name in another
// case still reaches the file that the folder holds.
#include "platform/drives.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <system_error>

#include "platform/failure.h"
#include "platform/folder_index.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace morvane {
namespace {

char lowerLetter(char letter) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
}

bool isDriveLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// The folder as an absolute path without `.`/`..`, with symbolic links of the
// folder itself resolved when it exists.
fs::path normalFolder(const fs::path& folder) {
    std::error_code ec;
    fs::path absolute = fs::absolute(folder, ec);
    if (ec) absolute = folder;
    fs::path canonical = fs::weakly_canonical(absolute, ec);
    if (ec) canonical = absolute.lexically_normal();
    std::string text = canonical.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return fs::path(text);
}

// Components of `path` below `folder`, or nothing when `folder` does not hold it.
std::optional<std::vector<std::string>> componentsBelow(const fs::path& folder,
                                                        const fs::path& path) {
    auto f = folder.begin();
    auto p = path.begin();
    for (; f != folder.end(); ++f, ++p) {
        if (p == path.end() || *f != *p) return std::nullopt;
    }
    std::vector<std::string> rest;
    for (; p != path.end(); ++p) {
        if (!p->empty() && *p != "/") rest.push_back(p->string());
    }
    return rest;
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

bool entryExists(const fs::path& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// The entry of `folder` that matches `name` without regard to letter case:
// the exact spelling when it exists, else the first case variant in byte
// order, so the choice is the same every time. The case variants come from
// the folder's index where it can have one (a lookup then costs the same in
// a folder of 100,000 names as in one of ten), else from reading the folder.
std::optional<std::string> findEntry(const fs::path& folder, const std::string& name) {
    if (entryExists(folder / name)) return name;
    if (const auto indexed = FolderIndex::shared().variants(folder, name)) {
        if (indexed->empty()) return std::nullopt;
        return indexed->front();
    }
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return std::nullopt;
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view candidate = entry->d_name;
        if (candidate == "." || candidate == "..") continue;
        // Case pairs of the code page have UTF-8 spellings of equal length,
        // so a name of another length is passed over without decoding it.
        if (candidate.size() != name.size()) continue;
        if (textEquals(candidate, name) && (!best || candidate < *best)) {
            best = std::string(candidate);
        }
    }
    ::closedir(dir);
    return best;
}

}  // namespace

DriveTable DriveTable::fromHost() {
    DriveTable table;
    table.map('z', "/");

    std::error_code ec;
    fs::path prefix;
    if (const char* wine = std::getenv("WINEPREFIX"); wine != nullptr && *wine != '\0') {
        prefix = wine;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        prefix = fs::path(home) / ".wine";
    }
    if (!prefix.empty()) {
        for (char letter = 'a'; letter <= 'z'; ++letter) {
            const fs::path link = prefix / "dosdevices" / std::string{letter, ':'};
            if (fs::is_directory(link, ec)) table.map(letter, fs::canonical(link, ec));
        }
    }

    const fs::path current = fs::current_path(ec);
    if (!ec) {
        const fs::path here = normalFolder(current);
        char best = 0;
        std::size_t bestDepth = 0;
        for (const auto& [letter, drive] : table.drives_) {
            if (componentsBelow(drive.host, here)) {
                const auto depth =
                    static_cast<std::size_t>(std::distance(drive.host.begin(), drive.host.end()));
                if (best == 0 || depth > bestDepth) best = letter, bestDepth = depth;
            }
        }
        if (best != 0) {
            table.startDrive_ = best;
            const auto rest = *componentsBelow(table.drives_[best].host, here);
            std::string program{best, ':', '\\'};
            for (std::size_t i = 0; i < rest.size(); ++i) {
                if (i > 0) program += '\\';
                program += rest[i];
            }
            table.drives_[best].current = program;
        }
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
    std::error_code ec;
    if (!fs::is_directory(host, ec)) throw Failure(err::kPathNotFound);
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

    fs::path host = drive.host;
    bool resolving = true;  // stays true while every folder so far exists
    for (const std::string& name : parts) {
        if (resolving) {
            if (const auto found = findEntry(host, name)) {
                host /= *found;
                continue;
            }
            resolving = false;
        }
        host /= name;
    }
    return host;
}

std::string DriveTable::toProgram(const fs::path& hostPath) const {
    std::error_code ec;
    fs::path absolute = fs::absolute(hostPath, ec);
    if (ec) absolute = hostPath;
    absolute = absolute.lexically_normal();

    const auto bestDrive =
        [this](const fs::path& path) -> std::optional<std::pair<char, std::vector<std::string>>> {
        std::optional<std::pair<char, std::vector<std::string>>> best;
        for (const auto& [letter, drive] : drives_) {
            auto rest = componentsBelow(drive.host, path);
            if (rest && (!best || rest->size() < best->second.size())) {
                best.emplace(letter, std::move(*rest));
            }
        }
        return best;
    };

    auto found = bestDrive(absolute);
    if (!found && absolute.has_parent_path()) {
        // The path may run through a folder link: resolve its folder, not the
        // name itself, which may be a link of its own.
        found = bestDrive(normalFolder(absolute.parent_path()) / absolute.filename());
    }
    if (!found) throw Failure(err::kPathNotFound);

    std::string program{found->first, ':', '\\'};
    const auto& rest = found->second;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (i > 0) program += '\\';
        program += rest[i];
    }
    return program;
}

}  // namespace morvane

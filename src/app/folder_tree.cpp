#include "app/folder_tree.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/drives.h"
#include "platform/failure.h"

namespace fs = std::filesystem;

namespace morvane {

namespace {

bool isDriveLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
char lowerLetter(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}
char upperLetter(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// The visible sub-folders of a host folder. Hidden (dot) folders are left
// out; links to folders count as folders.
std::vector<std::string> subFoldersOf(const fs::path& host) {
    std::error_code ec;
    fs::directory_iterator it(host, ec);
    if (ec) throw failureFromErrno(ec.value());
    std::vector<std::string> names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) throw failureFromErrno(ec.value());
        std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        // The entry's own type (from the folder listing) answers without a
        // stat per name; only links and unknown types are looked up.
        std::error_code kind;
        if (it->is_directory(kind)) names.push_back(std::move(name));
    }
    if (ec) throw failureFromErrno(ec.value());
    return names;
}

}  // namespace

std::string rootOf(char letter) {
    return std::string{upperLetter(letter), ':', '\\'};
}

char driveOf(const std::string& programPath) {
    return programPath.empty() ? 0 : lowerLetter(programPath[0]);
}

ResolvedFolder resolveFolder(const DriveTable& drives, const std::string& current,
                             const std::string& requested) {
    std::string target = requested;
    char letter = driveOf(current);
    if (target.size() >= 2 && target[1] == ':' && isDriveLetter(target[0])) {
        letter = lowerLetter(target[0]);
        // A drive alone, as the drive list gives it: that drive's current folder.
        if (target.size() == 2 || target[2] == ' ') target = drives.currentFolder(letter);
    } else if (!target.empty() && (target[0] == '\\' || target[0] == '/')) {
        target = std::string{letter, ':'} + target;
    } else {
        target = current + "\\" + target;
    }
    if (!drives.hasDrive(letter)) throw Failure(err::kPathNotFound);

    const fs::path host = drives.toHost(target);
    std::error_code ec;
    if (!fs::is_directory(host, ec)) throw Failure(err::kPathNotFound);

    ResolvedFolder folder;
    const fs::path below = host.lexically_relative(drives.hostFolder(letter));
    folder.program = rootOf(letter);
    for (const fs::path& part : below) {
        const std::string name = part.string();
        if (name.empty() || name == ".") continue;
        if (name == "..") throw Failure(err::kPathNotFound);
        if (!folder.names.empty()) folder.program += '\\';
        folder.program += name;
        folder.names.push_back(name);
    }
    folder.subFolders = subFoldersOf(host);
    return folder;
}

std::vector<FolderEntry> folderEntries(const ResolvedFolder& folder) {
    std::vector<FolderEntry> entries;
    entries.reserve(1 + folder.names.size() + folder.subFolders.size());
    std::string path = folder.program.substr(0, 3);
    entries.push_back({std::string{lowerLetter(path[0]), ':', '\\'}, path, 0, true});
    for (std::size_t i = 0; i < folder.names.size(); ++i) {
        if (i > 0) path += '\\';
        path += folder.names[i];
        entries.push_back({folder.names[i], path, i + 1, true});
    }
    const std::string prefix = folder.names.empty() ? folder.program : folder.program + "\\";
    for (const std::string& name : folder.subFolders) {
        entries.push_back({name, prefix + name, folder.names.size() + 1, false});
    }
    return entries;
}

}  // namespace morvane

// What a folder list shows, apart from any toolkit: a requested path resolved
// over the drive table to a folder that exists, the folders from the drive's
// root down to it, its visible sub-folders, and the entries made of them. A
// toolkit's folder list draws the entries and keeps the path.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace morvane {

class DriveTable;

struct ResolvedFolder {
    // The folder as a program path, with the names as the folder holds them:
    // "C:\" or "C:\Proyectos\Ventas".
    std::string program;
    std::vector<std::string> names;  // the folders below the root, in order
    // The visible sub-folders (hidden dot folders left out, links to folders
    // in), in no particular order: the folder list sorts them its own way.
    std::vector<std::string> subFolders;
};

// Resolves `requested` from the folder list's path `current`: a folder
// ("C:\Proyectos", "c:/a/b"), a drive alone ("c:") for that drive's current
// folder, a path from the current drive's root ("\Proyectos"), or a folder
// relative to `current`. Throws Failure 76 for a folder or drive that does
// not exist, and the host's failure for a folder that cannot be read.
ResolvedFolder resolveFolder(const DriveTable& drives, const std::string& current,
                             const std::string& requested);

// The root of a drive as a program path: "C:\".
std::string rootOf(char letter);
// The drive of a program path, lower case; 0 for an empty path.
char driveOf(const std::string& programPath);

// One entry of a folder list: the folders of the path open, then the current
// folder's sub-folders closed, each a level deeper than the one above it.
struct FolderEntry {
    std::string text;  // "c:\" for the root, otherwise the folder's name
    std::string path;  // the folder it stands for, as a program path
    std::size_t level;
    bool open;
};

// The entries for a folder whose sub-folders are in the order to show; the
// current folder is entry number folder.names.size().
std::vector<FolderEntry> folderEntries(const ResolvedFolder& folder);

}  // namespace morvane

// Drive letters over the host's folders, the way Wine presents them: each
// letter maps to a host folder, and a program path such as C:\Proyectos\a.vbp
// is resolved there name by name without regard to letter case (an exact
// match first). `\` and `/` both separate folders.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace morvane {

class DriveTable {
public:
    // z: for the host root, plus the drives of the Wine prefix ($WINEPREFIX,
    // else ~/.wine) when its dosdevices folder exists. The start drive is the
    // one whose folder holds the current folder most closely, and its current
    // folder is the process's current folder.
    static DriveTable fromHost();

    // Maps a drive letter (either case) to a host folder. Its current folder
    // becomes its root.
    void map(char letter, const std::filesystem::path& hostFolder);

    // The drive letters, lower case, in alphabetical order.
    std::vector<char> letters() const;
    bool hasDrive(char letter) const;
    std::filesystem::path hostFolder(char letter) const;

    // The current folder of a drive as a program path ("c:\" or "c:\Proyectos").
    std::string currentFolder(char letter) const;
    void setCurrentFolder(char letter, const std::string& programPath);
    // The drive that the program starts on, lower case.
    char startDrive() const { return startDrive_; }
    void setStartDrive(char letter);

    // The host path for a program path. Every existing component is matched
    // without regard to letter case (an exact match first, then the first case
    // variant in byte order); components that do not exist are kept as given.
    // A path without a drive is taken on the start drive, relative to its
    // current folder. Throws Failure 76 for a drive that is not mapped.
    std::filesystem::path toHost(const std::string& programPath) const;

    // The program path of a host path: the drive whose folder holds it most
    // closely, then the rest joined by backslashes.
    std::string toProgram(const std::filesystem::path& hostPath) const;

private:
    struct Drive {
        std::filesystem::path host;
        std::string current;  // program path of its current folder
    };
    std::map<char, Drive> drives_;
    char startDrive_ = 'z';
};

}  // namespace morvane

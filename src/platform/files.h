// The file and folder services the program relies on, in the target
// platform's terms: program paths with drive letters and backslashes, names
// that compare without regard to letter case, sequential text files known by
// file numbers from one pool. Every operation that can fail throws Failure.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

namespace morvane {

// Attribute selections of the folder listing.
namespace attr {
inline constexpr int kNormal = 0;    // plain files: no folders, no hidden or system files
inline constexpr int kHidden = 2;    // hidden files as well
inline constexpr int kSystem = 4;    // system files as well
inline constexpr int kDirectory = 16;  // folders as well
inline constexpr int kArchive = 32;  // plain files with the archive attribute, and plain files
}  // namespace attr

class FileServices {
  public:
    virtual ~FileServices() = default;

    // Starts a listing of `pattern` (a folder and a name with * and ? wildcards,
    // or a plain name) and returns the first matching name without its folder,
    // or the empty text when nothing matches. Letter case is ignored. There is
    // one listing at a time: starting one ends the previous one.
    virtual std::string dir(const std::string& pattern, int attributes) = 0;
    // The next name of the current listing, or the empty text at its end.
    virtual std::string dirNext() = 0;

    // The lowest file number not in use (1 to 255).
    virtual int freeFile() = 0;
    // Opens an existing file for reading lines; 53 when it does not exist,
    // 55 when it is open for writing under another number.
    virtual void openForInput(const std::string& name, int number) = 0;
    // Creates a file for writing lines, or empties it when it exists. A name
    // that is a symbolic link gets a new file in place of the link: nothing is
    // ever written through a link. 55 when the file is open under another
    // number, so an open file is never emptied beneath its reader.
    virtual void openForOutput(const std::string& name, int number) = 0;
    // True when no line is left to read.
    virtual bool eof(int number) = 0;
    // The next line, as ansi bytes, without its line end. A line ends at CR or
    // CR LF; a lone LF is part of the line; the last line needs no end.
    virtual std::string lineInput(int number) = 0;
    // Writes the ansi line followed by CR LF.
    virtual void printLine(int number, std::string_view ansiLine) = 0;
    // Closes the file and frees its number. A file written through this number
    // is on disk when close returns. When its last lines cannot be written (a
    // full disk) the file stays open under its number, so that closing again
    // writes them; any other failure frees the number.
    virtual void close(int number) = 0;
    // Closes the file and frees its number without writing the lines it still
    // holds: for a file whose close failed and that is given up.
    virtual void abandon(int number) = 0;
    // Whether the number is currently open.
    virtual bool isOpen(int number) const = 0;

    // Deletes a file; 53 when there is no such file.
    virtual void kill(const std::string& name) = 0;
    // Renames a file; 58 when the new name exists (in any letter case). Never
    // replaces a file. The folder entry is on disk when rename returns.
    virtual void rename(const std::string& from, const std::string& to) = 0;

    // Every entry of the folder of `name` (files, folders, hidden ones too)
    // whose name equals the file name of `name` without regard to letter
    // case, spelled as on disk, in byte order; none when there is no such
    // entry. More than one means that names in that folder differ only in
    // letter case, so a case-blind name cannot tell them apart. This uses
    // the listing, so it ends a listing in progress.
    virtual std::vector<std::string> caseVariants(const std::string& name) {
        const std::size_t sep = name.find_last_of("\\/:");
        const std::string folder = sep == std::string::npos ? std::string() : name.substr(0, sep + 1);
        const std::string file = name.substr(folder.size());
        std::vector<std::string> found;
        if (file.empty()) return found;
        constexpr int kEveryEntry = attr::kHidden | attr::kSystem | attr::kDirectory;
        for (std::string entry = dir(folder + "*", kEveryEntry); !entry.empty(); entry = dirNext()) {
            if (textEquals(entry, file)) found.push_back(entry);
        }
        std::sort(found.begin(), found.end());
        return found;
    }
};

}  // namespace morvane

// The folder listing on Windows: the names of one folder that match a
// pattern, chosen by their attributes.
//
// Windows matches a pattern against the 8.3 short name of each entry as well
// as its long name, so `*.vbp` would also give `Ventas.vbproj` or
// `X.VBPBAK`. The listing therefore reads every entry and matches the long
// name alone, with the program's own wildcard rules.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace morvane {

// Names (UTF-8, as stored) of the entries of `folder` whose long name matches
// `pattern` (* and ?, without regard to case). Plain files always; folders
// only with attr::kDirectory; hidden and system entries only with
// attr::kHidden and attr::kSystem. A folder that is not there gives no names;
// one that cannot be read, or that fails halfway, throws.
std::vector<std::string> listFolder(const std::filesystem::path& folder, const std::string& pattern,
                                    int attributes);

// The entry that a plain name (no wildcards) names, spelled as stored, when
// it exists and the attributes select it; none otherwise. A name that matches
// an entry only through its short name names nothing.
std::vector<std::string> listOne(const std::filesystem::path& file, int attributes);

// The path of an existing entry with its name spelled as stored (the long
// name, in its own letter case), or the path as given when there is none.
std::filesystem::path storedSpelling(const std::filesystem::path& file);

}  // namespace morvane

// Finding the program of a command line the way Windows finds it.
#pragma once

#include <string>

namespace morvane {

// The full path of the program, or the empty text when Windows would not find
// it. `.exe` is added to a name without an extension; a name without a folder
// is looked for in the folder of this program, the current folder, the system
// folders and the folders of PATH, in that order (SearchPathW).
std::wstring findProgram(const std::wstring& name);

}  // namespace morvane

// Text at the boundary of the wide-character Windows API: the program keeps
// its texts (names, paths, messages) in UTF-8, Windows takes and gives UTF-16.
// File contents never pass through here; they stay Windows-1252 bytes.
#pragma once

#include <string>
#include <string_view>

namespace morvane {

// UTF-8 to UTF-16. Malformed UTF-8 throws Failure 52: such a text can name
// no file.
std::wstring toWide(std::string_view utf8);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string toUtf8(std::wstring_view wide);

}  // namespace morvane

// Internal to the platform layer: UTF-8 text reduced, character by character,
// to what case-blind comparison looks at. Names on the host are compared and
// matched against patterns through these keys.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace morvane {

// The key of the character at `pos` of a UTF-8 text, advancing `pos` past it.
// Characters of the Windows-1252 code page give the byte of their upper case;
// every other character gives a value of its own (its code point moved past the
// byte range); a malformed byte gives a value that matches only itself.
char32_t caseKeyAt(std::string_view utf8, std::size_t& pos);

// The keys of a whole text.
std::u32string caseKeys(std::string_view utf8);

}  // namespace morvane

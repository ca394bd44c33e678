// Text of the program and text of its files.
//
// Program text (paths, captions, the texts typed by the user) is UTF-8 in a
// std::string. File contents are "ansi": Windows-1252 bytes in a std::string,
// exactly as on disk. The decoding maps the five bytes that Windows-1252 leaves
// unassigned (81 8D 8F 90 9D) to the control characters of the same value, so
// every byte value round-trips. Letter case follows the code page: a-z and
// à-þ (but ÷) pair with A-Z and À-Þ (but ×), plus š/Š, œ/Œ, ž/Ž and ÿ/Ÿ.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace morvane {

// Windows-1252 bytes to UTF-8.
std::string ansiToUtf8(std::string_view ansi);

// UTF-8 to Windows-1252 bytes; throws Failure (err::kCannotConvert) for a
// character the code page cannot hold or for malformed UTF-8.
std::string utf8ToAnsi(std::string_view utf8);

// Whether every character of the UTF-8 text has a Windows-1252 byte.
bool fitsAnsi(std::string_view utf8);

// Upper case of one Windows-1252 byte, and of a whole ansi text.
unsigned char ansiUpper(unsigned char byte);
std::string ansiUpperCase(std::string_view ansi);

// Position (0-based) of the first occurrence of `needle` in `haystack` at or
// after `from`, comparing Windows-1252 bytes without regard to letter case;
// std::string_view::npos when there is none. An empty needle is found at
// `from` when `from` lies inside the haystack.
std::size_t findAnsiNoCase(std::string_view haystack, std::string_view needle,
                           std::size_t from = 0);

// Equality of two UTF-8 texts without regard to letter case: characters of the
// code page compare by its case pairs, every other character exactly.
bool textEquals(std::string_view a, std::string_view b);

// The text without leading and trailing space characters (tabs stay).
std::string trimSpaces(std::string_view text);

}  // namespace morvane

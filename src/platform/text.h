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
#include <vector>

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

// Whether `needle` occurs in content handed over piece by piece, comparing
// Windows-1252 bytes without regard to letter case as findAnsiNoCase does:
// an occurrence may cross any border between pieces, and the needle may be
// longer than a piece. An empty needle occurs in any content that is not
// empty. Keeps only the needle and a table of its length, never a piece.
class AnsiNoCaseFinder {
  public:
    explicit AnsiNoCaseFinder(std::string_view needle);
    // Looks through the next piece of the content; whether the needle has
    // occurred so far.
    bool feed(std::string_view piece);
    bool found() const { return found_; }

  private:
    std::string folded_;               // the needle in upper case
    std::vector<std::size_t> border_;  // where a partial match goes on after a mismatch
    std::size_t firstAnchor_ = 0, secondAnchor_ = 0;  // positions the fast scan tests first
    std::size_t matched_ = 0;  // how much of the needle the content so far ends with
    bool found_ = false;
};

// Equality of two UTF-8 texts without regard to letter case: characters of the
// code page compare by its case pairs, every other character exactly.
bool textEquals(std::string_view a, std::string_view b);

// The text without leading and trailing space characters (tabs stay).
std::string trimSpaces(std::string_view text);

}  // namespace morvane

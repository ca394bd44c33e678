// The folder listing's name patterns against a plain dynamic-programming
// matcher: `*` any run of characters (also none), `?` exactly one character,
// letters without regard to case, "*.*" every name.
//
// Input: the bytes up to the first 0xFF make the pattern and the rest the
// name, each byte picking one character of a small alphabet (ASCII letters,
// accented letters in both cases, a letter outside the code page, dot, star,
// question mark), so that matches are frequent enough to be worth checking.
// The raw bytes are also matched as given, which must simply never crash.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/wildcard.h"

namespace {

using morvane::fuzz::shown;

struct Letter {
    const char* utf8;
    char32_t key;  // the same key for both cases of a letter
};

// Each character with the key that case-blind matching gives it.
const Letter kAlphabet[] = {
    {"a", 'A'},  {"A", 'A'},   {"b", 'B'},   {"B", 'B'},   {"v", 'V'},  {"P", 'P'},
    {".", '.'},  {"_", '_'},   {"1", '1'},   {"é", 0xC9},  {"É", 0xC9}, {"ñ", 0xD1},
    {"Ñ", 0xD1}, {"ÿ", 0x178}, {"Ÿ", 0x178}, {"ω", 0x3C9}, {"*", '*'},  {"?", '?'},
};
constexpr std::size_t kLetters = sizeof kAlphabet / sizeof kAlphabet[0];

struct Text {
    std::string utf8;
    std::vector<char32_t> keys;
};

Text spell(std::string_view bytes, bool wildcardsAllowed) {
    Text t;
    for (unsigned char b : bytes) {
        std::size_t i = b % kLetters;
        // A name never holds a wildcard.
        if (!wildcardsAllowed && (kAlphabet[i].key == '*' || kAlphabet[i].key == '?')) i = 0;
        t.utf8 += kAlphabet[i].utf8;
        t.keys.push_back(kAlphabet[i].key);
    }
    return t;
}

bool reference(const Text& pattern, const Text& name) {
    if (pattern.utf8 == "*.*") return true;
    const auto& p = pattern.keys;
    const auto& n = name.keys;
    // can[j]: the pattern read so far matches the first j characters of the name.
    std::vector<bool> can(n.size() + 1, false);
    can[0] = true;
    for (char32_t c : p) {
        std::vector<bool> next(n.size() + 1, false);
        for (std::size_t j = 0; j <= n.size(); ++j) {
            if (c == '*') {
                next[j] = can[j] || (j > 0 && next[j - 1]);
            } else if (j > 0) {
                next[j] = can[j - 1] && (c == '?' || c == n[j - 1]);
            }
        }
        can = std::move(next);
    }
    return can[n.size()];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = std::min(raw.find('\xff'), raw.size());
    const std::string_view rawPattern = raw.substr(0, cut);
    const std::string_view rawName = cut < raw.size() ? raw.substr(cut + 1) : std::string_view();

    // Anything at all, even malformed UTF-8: an answer, never a crash.
    (void)morvane::matchesWildcard(rawPattern, rawName);
    (void)morvane::hasWildcards(rawPattern);

    const Text pattern = spell(rawPattern, true);
    const Text name = spell(rawName, false);
    const bool expected = reference(pattern, name);
    const bool actual = morvane::matchesWildcard(pattern.utf8, name.utf8);
    if (actual != expected) {
        std::fprintf(stderr, "pattern \"%s\" name \"%s\": got %d, expected %d\n",
                     shown(pattern.utf8).c_str(), shown(name.utf8).c_str(), actual, expected);
    }
    FUZZ_CHECK(actual == expected);
    const bool wild = pattern.utf8.find_first_of("*?") != std::string::npos;
    FUZZ_CHECK(morvane::hasWildcards(pattern.utf8) == wild);
    return 0;
}

// BuscarYReemplazar against a deliberately plain reading of its rule: find the
// search text from position 1 without regard to letter case, replace it, look
// again from one past where the replacement starts, and stop with the overflow
// failure (6) when a match position no longer fits in 16 bits. Both must give
// the same line, and the same failure with the same partly replaced line.
//
// Input: byte 0 the search text's length (0 to 8), byte 1 the replacement's
// length (at most one more than the search text's, which keeps a runaway
// replacement quick), byte 2 how many filler letters go in front of the line
// (0, or close to the 16-bit limit), then the search text, the replacement
// and the line, in that order.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_check.h"
#include "ops/replace.h"
#include "platform/failure.h"

namespace {

using morvane::fuzz::shown;

constexpr long kLargest16 = 32767;

// Upper case of one Windows-1252 byte: a-z, the accented letters à-þ (but
// ÷), and the four letters whose pairs lie elsewhere in the code page.
unsigned char upper(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    switch (c) {
        case 0x9A:
            return 0x8A;  // š
        case 0x9C:
            return 0x8C;  // œ
        case 0x9E:
            return 0x8E;  // ž
        case 0xFF:
            return 0x9F;  // ÿ
        default:
            return c;
    }
}

// 1-based position of `what` in `line` at or after `from`, or 0.
long instr(const std::string& line, const std::string& what, long from) {
    const long n = static_cast<long>(line.size());
    const long m = static_cast<long>(what.size());
    if (from > n) return 0;
    for (long p = from; p + m - 1 <= n; ++p) {
        bool same = true;
        for (long k = 0; k < m && same; ++k) {
            same = upper(static_cast<unsigned char>(line[p - 1 + k])) ==
                   upper(static_cast<unsigned char>(what[k]));
        }
        if (same) return p;
    }
    return 0;
}

struct Result {
    std::string line;
    bool overflow = false;
};

Result reference(std::string line, const std::string& buscar, const std::string& reemplazar) {
    // An empty search text would be found at every position and never end
    // before the overflow; the program leaves the line as it is instead.
    if (buscar.empty()) return {line, false};
    long p = instr(line, buscar, 1);
    if (p > kLargest16) return {line, true};
    while (p != 0) {
        // The first p - 1 characters, the replacement, then what follows the
        // occurrence (nothing when the line ends inside it).
        line.replace(p - 1, buscar.size(), reemplazar);
        if (p + 1 > kLargest16) return {line, true};
        p = instr(line, buscar, p + 1);
        if (p > kLargest16) return {line, true};
    }
    return {line, false};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::size_t searchLength = data[0] % 9;
    const std::size_t replaceLength = data[1] % (searchLength + 2);
    const std::size_t filler =
        data[2] < 128 ? 0 : static_cast<std::size_t>(kLargest16 - 2 * (255 - data[2]));
    const char* rest = reinterpret_cast<const char*>(data) + 3;
    std::size_t left = size - 3;
    if (left < searchLength + replaceLength) return 0;
    const std::string buscar(rest, searchLength);
    const std::string reemplazar(rest + searchLength, replaceLength);
    std::string line(filler, 'q');
    line.append(rest + searchLength + replaceLength, left - searchLength - replaceLength);

    const Result expected = reference(line, buscar, reemplazar);

    std::string actual = line;
    bool overflow = false;
    try {
        morvane::BuscarYReemplazar(actual, buscar, reemplazar);
    } catch (const morvane::Failure& f) {
        if (f.number() != morvane::err::kOverflow) {
            std::fprintf(stderr, "failure %d: %s\n", f.number(), f.description().c_str());
        }
        FUZZ_CHECK(f.number() == morvane::err::kOverflow);
        overflow = true;
    }
    if (overflow != expected.overflow || actual != expected.line) {
        std::fprintf(stderr,
                     "search \"%s\" replacement \"%s\" line (%zu bytes) \"%s\"\n"
                     "got %s \"%s\"\nexpected %s \"%s\"\n",
                     shown(buscar).c_str(), shown(reemplazar).c_str(), line.size(),
                     shown(line.substr(0, 200)).c_str(), overflow ? "overflow" : "return",
                     shown(actual.substr(0, 200)).c_str(),
                     expected.overflow ? "overflow" : "return",
                     shown(expected.line.substr(0, 200)).c_str());
    }
    FUZZ_CHECK(overflow == expected.overflow);
    FUZZ_CHECK(actual == expected.line);
    return 0;
}

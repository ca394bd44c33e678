// Windows-1252 codec, its letter case, and the case-blind search over ansi
// bytes, over a whole text or over content handed over piece by piece.
#include "platform/text.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/case_key.h"
#include "platform/failure.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace morvane {
namespace {

// Code points of the bytes 80..9F. The five bytes that the code page leaves
// unassigned keep the C1 control of the same value, so every byte round-trips.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr char32_t codePointOf(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : char32_t{byte};
}

// The byte of a code point, or -1 when the code page has none.
int byteOf(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == cp) return 0x80 + i;
    }
    return -1;
}

constexpr std::array<unsigned char, 256> makeUpperTable() {
    std::array<unsigned char, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = static_cast<unsigned char>(b);
    for (int b = 'a'; b <= 'z'; ++b) t[b] = static_cast<unsigned char>(b - 0x20);
    for (int b = 0xE0; b <= 0xFE; ++b) {
        if (b != 0xF7) t[b] = static_cast<unsigned char>(b - 0x20);  // ÷ has no capital
    }
    t[0x9A] = 0x8A;  // š Š
    t[0x9C] = 0x8C;  // œ Œ
    t[0x9E] = 0x8E;  // ž Ž
    t[0xFF] = 0x9F;  // ÿ Ÿ
    return t;
}

constexpr std::array<unsigned char, 256> kUpper = makeUpperTable();

// The other letter-case spelling of a byte (itself when it has none). Every
// folded byte has at most two spellings, so two compares find all of them.
constexpr std::array<unsigned char, 256> makeOtherCaseTable() {
    std::array<unsigned char, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = static_cast<unsigned char>(b);
    for (int b = 0; b < 256; ++b) {
        const unsigned char up = kUpper[b];
        if (up != b) {
            t[b] = up;
            t[up] = static_cast<unsigned char>(b);
        }
    }
    return t;
}

constexpr std::array<unsigned char, 256> kOtherCase = makeOtherCaseTable();

// Rough frequency rank of bytes in project files and source text (higher is
// more common). The search anchors on the needle's rarest bytes so that the
// fast scan stops as seldom as possible.
constexpr std::array<unsigned char, 256> makeRankTable() {
    std::array<unsigned char, 256> r{};
    for (int b = 0; b < 256; ++b) r[b] = 10;  // other bytes, including 80..FF
    for (int b = '0'; b <= '9'; ++b) r[b] = 120;
    const char* common = "etaoinsrhldcumfpgwybvkxjqz";  // most common first
    for (int i = 0; common[i]; ++i) {
        const int lower = static_cast<unsigned char>(common[i]);
        r[lower] = static_cast<unsigned char>(250 - i * 4);
        r[lower - 0x20] = static_cast<unsigned char>(200 - i * 4);
    }
    r[' '] = 255;
    r['\r'] = 180;
    r['\n'] = 180;
    r['='] = 170;
    r['"'] = 160;
    r['.'] = 160;
    r['\\'] = 150;
    r[';'] = 140;
    r['#'] = 140;
    r['_'] = 130;
    r[','] = 130;
    r['('] = 110;
    r[')'] = 110;
    r['&'] = 100;
    r['\t'] = 100;
    r['-'] = 100;
    r['{'] = 90;
    r['}'] = 90;
    return r;
}

constexpr std::array<unsigned char, 256> kRank = makeRankTable();

// Combined rank of both spellings of a byte, since the scan looks for either.
int caseRank(unsigned char b) {
    return kRank[b] + (kOtherCase[b] != b ? kRank[kOtherCase[b]] : 0);
}

// Decodes one UTF-8 character at `pos`; returns false for malformed input.
bool decodeUtf8(std::string_view s, std::size_t& pos, char32_t& cp) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b0 = byte(pos);
    int extra;
    char32_t min;
    if (b0 < 0x80) {
        cp = b0;
        ++pos;
        return true;
    } else if ((b0 & 0xE0) == 0xC0) {
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        return false;
    }
    if (pos + extra >= s.size()) return false;
    for (int i = 1; i <= extra; ++i) {
        const unsigned char b = byte(pos + i);
        if ((b & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    pos += extra + 1;
    return true;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {  // the code page holds nothing beyond the basic plane
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// How many bytes of `h` agree with the folded needle from the start, up to n.
std::size_t foldedPrefix(const unsigned char* h, const unsigned char* foldedNeedle, std::size_t n) {
    std::size_t i = 0;
    while (i < n && kUpper[h[i]] == foldedNeedle[i]) ++i;
    return i;
}

// The longest proper border of each prefix of the folded needle: how much of
// a partial match still stands when the next byte does not continue it.
std::vector<std::size_t> borderTable(const unsigned char* folded, std::size_t n) {
    std::vector<std::size_t> border(n, 0);
    for (std::size_t i = 1, k = 0; i < n; ++i) {
        while (k > 0 && folded[i] != folded[k]) k = border[k - 1];
        if (folded[i] == folded[k]) ++k;
        border[i] = k;
    }
    return border;
}

// Knuth-Morris-Pratt on folded bytes: goes through [p, end) with `matched`
// bytes of the needle already matched just before p, in time linear in the
// bytes whatever the texts. Stops just after the first whole match (then
// `matched` is n) and returns where it stopped.
const unsigned char* matchOn(const unsigned char* p, const unsigned char* end,
                             const unsigned char* folded, std::size_t n,
                             const std::vector<std::size_t>& border, std::size_t& matched) {
    for (; p < end; ++p) {
        const unsigned char c = kUpper[*p];
        while (matched > 0 && c != folded[matched]) matched = border[matched - 1];
        if (c == folded[matched]) ++matched;
        if (matched == n) return p + 1;
    }
    return end;
}

// The first start at or after `start` where the folded needle occurs, in time
// linear in the haystack. The fast scan hands over to it when its candidates
// keep failing late, as a long run of one letter in both texts makes them do.
std::size_t findFoldedLinear(const unsigned char* base, std::size_t start, std::size_t size,
                             const unsigned char* folded, std::size_t n) {
    std::size_t matched = 0;
    const unsigned char* stop =
        matchOn(base + start, base + size, folded, n, borderTable(folded, n), matched);
    return matched == n ? static_cast<std::size_t>(stop - base) - n : std::string_view::npos;
}

// The two positions of the needle that the fast scan tests first: its rarest
// byte and, for needles of two bytes or more, a second, different position
// (the same one for a needle of one byte).
struct Anchors {
    std::size_t first, second;
};

Anchors rarestBytes(const unsigned char* folded, std::size_t n) {
    std::size_t i1 = 0;
    for (std::size_t i = 1; i < n; ++i) {
        if (caseRank(folded[i]) < caseRank(folded[i1])) i1 = i;
    }
    std::size_t i2 = i1;
    for (std::size_t i = 0; i < n; ++i) {
        if (i == i1) continue;
        if (i2 == i1 || caseRank(folded[i]) < caseRank(folded[i2])) i2 = i;
    }
    return {i1, i2};
}

// The fast scan may compare this many bytes per byte it has passed, plus a
// fixed allowance, before the linear search takes over.
constexpr std::size_t kWorkPerByte = 4;
constexpr std::size_t kWorkAllowance = 4096;

// The first start at or after `from` where the folded needle of n bytes
// occurs in base[0, size), or npos; n is at least 1 and at most size - from.
// The haystack is folded byte by byte only where a candidate is checked,
// never copied.
std::size_t findFolded(const unsigned char* base, std::size_t from, std::size_t size,
                       const unsigned char* folded, std::size_t n, Anchors anchors) {
    const std::size_t i1 = anchors.first, i2 = anchors.second;
    const unsigned char* hay = base + from;
    const unsigned char* last = base + size - n;  // last possible start
    const unsigned char a1 = folded[i1], b1 = kOtherCase[folded[i1]];

#if defined(__SSE2__)
    if (i2 != i1) {
        // 16 candidate starts at a time: both anchors must match in either case.
        const unsigned char a2 = folded[i2], b2 = kOtherCase[folded[i2]];
        const __m128i va1 = _mm_set1_epi8(static_cast<char>(a1));
        const __m128i vb1 = _mm_set1_epi8(static_cast<char>(b1));
        const __m128i va2 = _mm_set1_epi8(static_cast<char>(a2));
        const __m128i vb2 = _mm_set1_epi8(static_cast<char>(b2));
        const unsigned char* p = hay;
        std::size_t work = 0;  // bytes compared at candidates so far
        while (p + 16 <= last + 1) {
            const __m128i c1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i1));
            const __m128i c2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i2));
            const __m128i m1 = _mm_or_si128(_mm_cmpeq_epi8(c1, va1), _mm_cmpeq_epi8(c1, vb1));
            const __m128i m2 = _mm_or_si128(_mm_cmpeq_epi8(c2, va2), _mm_cmpeq_epi8(c2, vb2));
            unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(m1, m2)));
            while (mask != 0) {
                const int bit = __builtin_ctz(mask);
                const std::size_t agreed = foldedPrefix(p + bit, folded, n);
                if (agreed == n) return static_cast<std::size_t>(p + bit - base);
                work += agreed + 1;
                if (work > kWorkPerByte * static_cast<std::size_t>(p - hay) + kWorkAllowance) {
                    return findFoldedLinear(base, static_cast<std::size_t>(p + bit - base), size,
                                            folded, n);
                }
                mask &= mask - 1;
            }
            p += 16;
        }
        // The last few starts, fewer than 16, one by one.
        for (; p <= last; ++p) {
            if (foldedPrefix(p, folded, n) == n) return static_cast<std::size_t>(p - base);
        }
        return std::string_view::npos;
    }
#endif

    // One anchor: memchr finds each spelling of it, the rest is compared. The
    // next hit of each spelling is kept, so neither part is scanned twice.
    const unsigned char* end = last + i1 + 1;  // anchors from here on start too late
    const auto next = [end](const unsigned char* at, unsigned char c) {
        const auto* q = static_cast<const unsigned char*>(std::memchr(at, c, end - at));
        return q ? q : end;
    };
    const unsigned char* pa = next(hay + i1, a1);
    const unsigned char* pb = a1 == b1 ? end : next(hay + i1, b1);
    std::size_t work = 0;  // bytes compared at candidates so far
    while (true) {
        const unsigned char* p = pa < pb ? pa : pb;
        if (p == end) return std::string_view::npos;
        const std::size_t agreed = foldedPrefix(p - i1, folded, n);
        if (agreed == n) return static_cast<std::size_t>(p - i1 - base);
        work += agreed + 1;
        if (work > kWorkPerByte * static_cast<std::size_t>(p - i1 - hay) + kWorkAllowance) {
            return findFoldedLinear(base, static_cast<std::size_t>(p - i1 - base), size, folded, n);
        }
        if (p == pa) pa = next(p + 1, a1);
        if (p == pb) pb = next(p + 1, b1);
    }
}

}  // namespace

std::string ansiToUtf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size() + ansi.size() / 8);
    for (const char c : ansi) appendUtf8(out, codePointOf(static_cast<unsigned char>(c)));
    return out;
}

std::string utf8ToAnsi(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp;
        if (!decodeUtf8(utf8, pos, cp)) throw Failure(err::kCannotConvert);
        const int b = byteOf(cp);
        if (b < 0) throw Failure(err::kCannotConvert);
        out.push_back(static_cast<char>(b));
    }
    return out;
}

bool fitsAnsi(std::string_view utf8) {
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp;
        if (!decodeUtf8(utf8, pos, cp) || byteOf(cp) < 0) return false;
    }
    return true;
}

unsigned char ansiUpper(unsigned char byte) {
    return kUpper[byte];
}

std::string ansiUpperCase(std::string_view ansi) {
    std::string out(ansi);
    for (char& c : out) c = static_cast<char>(kUpper[static_cast<unsigned char>(c)]);
    return out;
}

std::size_t findAnsiNoCase(std::string_view haystack, std::string_view needle, std::size_t from) {
    if (from > haystack.size()) return std::string_view::npos;
    if (needle.empty()) return from < haystack.size() ? from : std::string_view::npos;
    const std::size_t n = needle.size();
    if (haystack.size() - from < n) return std::string_view::npos;

    // The needle folded once, on the stack when it is short.
    unsigned char smallBuf[64];
    std::string bigBuf;
    unsigned char* folded = smallBuf;
    if (n > sizeof smallBuf) {
        bigBuf.resize(n);
        folded = reinterpret_cast<unsigned char*>(bigBuf.data());
    }
    for (std::size_t i = 0; i < n; ++i) folded[i] = kUpper[static_cast<unsigned char>(needle[i])];
    return findFolded(reinterpret_cast<const unsigned char*>(haystack.data()), from,
                      haystack.size(), folded, n, rarestBytes(folded, n));
}

AnsiNoCaseFinder::AnsiNoCaseFinder(std::string_view needle)
    : folded_(ansiUpperCase(needle)),
      border_(borderTable(reinterpret_cast<const unsigned char*>(folded_.data()), folded_.size())) {
    const Anchors anchors =
        rarestBytes(reinterpret_cast<const unsigned char*>(folded_.data()), folded_.size());
    firstAnchor_ = anchors.first;
    secondAnchor_ = anchors.second;
}

bool AnsiNoCaseFinder::feed(std::string_view piece) {
    if (found_ || piece.empty()) return found_;
    const std::size_t n = folded_.size();
    if (n == 0) return found_ = true;
    const auto* folded = reinterpret_cast<const unsigned char*>(folded_.data());
    const auto* p = reinterpret_cast<const unsigned char*>(piece.data());
    const unsigned char* end = p + piece.size();
    // The most of one occurrence that can lie on either side of a border.
    const std::size_t side = n - 1;

    if (piece.size() <= side) {
        // A piece this short holds no whole occurrence: it can only continue one.
        matchOn(p, end, folded, n, border_, matched_);
        return found_ = matched_ == n;
    }
    // An occurrence begun before this piece ends within its first n - 1 bytes.
    if (matched_ > 0) {
        matchOn(p, p + side, folded, n, border_, matched_);
        if (matched_ == n) return found_ = true;
    }
    if (findFolded(p, 0, piece.size(), folded, n, {firstAnchor_, secondAnchor_}) !=
        std::string_view::npos) {
        return found_ = true;
    }
    // What may begin an occurrence in the next piece lies in the last n - 1
    // bytes of this one.
    matched_ = 0;
    matchOn(end - side, end, folded, n, border_, matched_);
    return false;
}

char32_t caseKeyAt(std::string_view utf8, std::size_t& pos) {
    char32_t cp;
    const std::size_t start = pos;
    if (!decodeUtf8(utf8, pos, cp)) {
        pos = start + 1;
        return 0x200000 + static_cast<unsigned char>(utf8[start]);
    }
    const int b = byteOf(cp);
    return b >= 0 ? char32_t{kUpper[b]} : 0x100 + cp;
}

std::u32string caseKeys(std::string_view utf8) {
    std::u32string keys;
    keys.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) keys.push_back(caseKeyAt(utf8, pos));
    return keys;
}

bool textEquals(std::string_view a, std::string_view b) {
    std::size_t pa = 0, pb = 0;
    while (pa < a.size() && pb < b.size()) {
        if (caseKeyAt(a, pa) != caseKeyAt(b, pb)) return false;
    }
    return pa == a.size() && pb == b.size();
}

std::string trimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace morvane

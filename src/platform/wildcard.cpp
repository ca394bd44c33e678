#include "platform/wildcard.h"

#include <string>

#include "platform/case_key.h"

namespace morvane {
namespace {

constexpr char32_t kStar = U'*';
constexpr char32_t kQuestion = U'?';

}  // namespace

bool hasWildcards(std::string_view pattern) {
    return pattern.find_first_of("*?") != std::string_view::npos;
}

bool matchesWildcard(std::string_view pattern, std::string_view name) {
    return WildcardPattern(pattern).matches(name);
}

WildcardPattern::WildcardPattern(std::string_view pattern)
    : keys_(caseKeys(pattern)), everything_(pattern == "*.*") {}

bool WildcardPattern::matches(std::string_view name) const {
    if (everything_) return true;
    const std::u32string& p = keys_;
    // Greedy match with one backtrack point: the last star seen. On a mismatch
    // the star takes one more character; this never revisits earlier stars.
    // The name's keys are taken one at a time, so nothing is allocated.
    std::size_t pi = 0, ni = 0;
    std::size_t star = std::u32string::npos, starName = 0;
    while (ni < name.size()) {
        std::size_t next = ni;
        const char32_t key = caseKeyAt(name, next);
        if (pi < p.size() && p[pi] == kStar) {
            star = pi++;
            starName = ni;
        } else if (pi < p.size() && (p[pi] == kQuestion || p[pi] == key)) {
            ++pi;
            ni = next;
        } else if (star != std::u32string::npos) {
            // The star takes the character at which its match began.
            pi = star + 1;
            caseKeyAt(name, starName);
            ni = starName;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == kStar) ++pi;
    return pi == p.size();
}

}  // namespace morvane

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
    if (pattern == "*.*") return true;
    const std::u32string p = caseKeys(pattern);
    const std::u32string n = caseKeys(name);
    // Greedy match with one backtrack point: the last star seen. On a mismatch
    // the star takes one more character; this never revisits earlier stars.
    std::size_t pi = 0, ni = 0;
    std::size_t star = std::u32string::npos, starName = 0;
    while (ni < n.size()) {
        if (pi < p.size() && p[pi] == kStar) {
            star = pi++;
            starName = ni;
        } else if (pi < p.size() && (p[pi] == kQuestion || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (star != std::u32string::npos) {
            pi = star + 1;
            ni = ++starName;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == kStar) ++pi;
    return pi == p.size();
}

}  // namespace morvane

// File-name patterns: * and ?, letter case ignored by the code page's pairs.
#include "platform/wildcard.h"

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>

#include "case_names.h"

namespace morvane {
namespace {

struct Match {
    const char* pattern;
    const char* name;
    bool matches;
};

// Names the case in test listings and failure messages.
void PrintTo(const Match& c, std::ostream* out) {
    std::ostringstream text;
    text << c.pattern << " ~ " << c.name;
    *out << testing::caseName(text.str());
}

class Wildcards : public ::testing::TestWithParam<Match> {};

TEST_P(Wildcards, MatchAsTheListingDoes) {
    const Match& c = GetParam();
    EXPECT_EQ(matchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " ~ " << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Wildcards,
    ::testing::Values(Match{"*.vbp", "Ventas.vbp", true}, Match{"*.vbp", "VENTAS.VBP", true},
                      Match{"*.vbp", "dblist.Vbp", true}, Match{"*.vbp", "Ventas.vbw", false},
                      Match{"*.vbp", "Ventas.vbp.OLD", false}, Match{"*.vbp", "vbp", false},
                      Match{"*.vbp", ".vbp", true}, Match{"*.vbp", "a.b.vbp", true},
                      Match{"*.vbp", "計算１.vbp", true}, Match{"*.vbp", "Año Contable.VBP", true},
                      Match{"año*.vbp", "AÑO 2024.vbp", true}, Match{"*", "", true},
                      Match{"*", "x", true}, Match{"*.*", "sin_extension", true},
                      Match{"*.*", "a.b", true}, Match{"?.vbp", "a.vbp", true},
                      Match{"?.vbp", "ab.vbp", false},
                      Match{"?.vbp", "ñ.vbp", true},  // one character, however many bytes
                      Match{"?.vbp", "日.vbp", true}, Match{"a?c", "ac", false},
                      Match{"a*c", "ac", true}, Match{"a*b*c", "aXbYbZc", true},
                      Match{"a*b*c", "aXbYbZ", false}, Match{"*ab", "aab", true},
                      Match{"*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaa", false},
                      Match{"Grupo.vbg", "GRUPO.VBG", true},
                      Match{"Grupo.vbg", "Grupo.vbgx", false}, Match{"šœžÿ.vbp", "ŠŒŽŸ.VBP", true},
                      Match{"÷.vbp", "×.vbp", false}, Match{"", "", true}, Match{"", "a", false}));

TEST(Wildcards, PatternsWithAndWithoutWildcards) {
    EXPECT_TRUE(hasWildcards("*.vbp"));
    EXPECT_TRUE(hasWildcards("a?.vbp"));
    EXPECT_FALSE(hasWildcards("Grupo.vbg"));
    EXPECT_FALSE(hasWildcards(""));
}

// A long name against a pattern with many stars stays fast enough to finish
// at once; a backtracking matcher would take exponential time here.
TEST(Wildcards, ManyStarsDoNotBacktrackWithoutEnd) {
    const std::string name(5000, 'a');
    EXPECT_FALSE(matchesWildcard("*a*a*a*a*a*a*a*a*a*a*b", name));
    EXPECT_TRUE(matchesWildcard("*a*a*a*a*a*a*a*a*a*a*", name));
}

}  // namespace
}  // namespace morvane

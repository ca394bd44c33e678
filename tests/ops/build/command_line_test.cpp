// Splitting a command line into arguments the way the target platform's C
// runtime does: white space separates, quotes group, backslashes are plain
// except before a quote. The builder's own command lines never hold quotes,
// so a path with spaces reaches the compiler as several arguments.
#include "platform/processes/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvane {
namespace {

struct SplitCase {
    const char* name;
    std::string line;
    std::vector<std::string> args;
};

class SplitCommandLine : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLine, GivesTheRuntimesArguments) {
    EXPECT_EQ(splitCommandLine(GetParam().line), GetParam().args) << "line: " << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCommandLine,
    ::testing::Values(
        SplitCase{"Plain",
                  R"(vb6 /m C:\Proyectos\Ventas.vbp)",
                  {"vb6", "/m", R"(C:\Proyectos\Ventas.vbp)"}},
        SplitCase{"PathWithASpaceIsTwoArguments",
                  R"(vb6 /m C:\Proyectos Viejos\Ventas.vbp)",
                  {"vb6", "/m", R"(C:\Proyectos)", R"(Viejos\Ventas.vbp)"}},
        SplitCase{"RunsOfWhiteSpaceSeparateOnce",
                  "vb6 /m C:\\a  b\t\tc.vbp",
                  {"vb6", "/m", "C:\\a", "b", "c.vbp"}},
        SplitCase{"LeadingAndTrailingWhiteSpace", "  vb6 /m x  ", {"vb6", "/m", "x"}},
        SplitCase{"Empty", "", {}}, SplitCase{"OnlyWhiteSpace", " \t ", {}},
        SplitCase{"ShellCharactersArePlain",
                  R"(vb6 /m C:\a$b;c|d&e'f*`g`.vbp)",
                  {"vb6", "/m", R"(C:\a$b;c|d&e'f*`g`.vbp)"}},
        SplitCase{"QuotesGroupAndAreDropped",
                  R"(vb6 /m "C:\Proyectos Viejos\Ventas.vbp")",
                  {"vb6", "/m", R"(C:\Proyectos Viejos\Ventas.vbp)"}},
        SplitCase{"QuotedProgramNameKeepsItsBackslashes",
                  R"("C:\Archivos de programa\vb6.exe" /m x)",
                  {R"(C:\Archivos de programa\vb6.exe)", "/m", "x"}},
        SplitCase{"QuoteInsideAWord", R"(a b"c d"e)", {"a", "bc de"}},
        SplitCase{"EscapedQuote", R"(a b\"c)", {"a", R"(b"c)"}},
        SplitCase{"EvenBackslashesBeforeAQuote", R"(a b\\"c d")", {"a", R"(b\c d)"}},
        SplitCase{"OddBackslashesBeforeAQuote", R"(a b\\\"c)", {"a", R"(b\"c)"}},
        SplitCase{"TwoQuotesInsideQuotesAreOne", R"(a "b""c")", {"a", R"(b"c)"}},
        SplitCase{"BackslashesNotBeforeAQuoteStay", R"(a C:\\x\ y\)", {"a", R"(C:\\x\)", R"(y\)"}},
        SplitCase{"EmptyQuotedArgument", R"(a "" b)", {"a", "", "b"}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace morvane

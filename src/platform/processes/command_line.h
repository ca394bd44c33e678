// Splitting a command line into arguments the way the target platform's C
// runtime does it, so that a program started here receives exactly the
// arguments it would receive there.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// The arguments of a command line, the program name first.
//
// The program name ends at the first space or tab outside double quotes;
// quotes only group and are dropped, and backslashes are plain characters.
// Every later argument follows the runtime's rules: white space outside quotes
// separates; a double quote preceded by 2n backslashes gives n backslashes and
// opens or closes a quoted part; preceded by 2n+1 backslashes it gives n
// backslashes and a literal quote; inside a quoted part, two quotes give one
// literal quote; backslashes not followed by a quote stay as they are.
// A command line of only white space has no arguments.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

}  // namespace morvane

#include "platform/processes/command_line.h"

namespace morvane {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    std::size_t p = 0;
    const std::size_t n = line.size();

    while (p < n && isBlank(line[p])) ++p;
    if (p == n) return args;

    // The program name: quotes group, nothing escapes.
    {
        std::string name;
        bool quoted = false;
        while (p < n && (quoted || !isBlank(line[p]))) {
            if (line[p] == '"') {
                quoted = !quoted;
            } else {
                name += line[p];
            }
            ++p;
        }
        args.push_back(std::move(name));
    }

    for (;;) {
        while (p < n && isBlank(line[p])) ++p;
        if (p == n) break;

        std::string arg;
        bool quoted = false;
        for (;;) {
            std::size_t backslashes = 0;
            while (p < n && line[p] == '\\') {
                ++backslashes;
                ++p;
            }
            bool copy = true;
            if (p < n && line[p] == '"') {
                if (backslashes % 2 == 0) {
                    if (quoted && p + 1 < n && line[p + 1] == '"') {
                        ++p;  // "" inside quotes: one literal quote
                    } else {
                        copy = false;
                        quoted = !quoted;
                    }
                }
                backslashes /= 2;
            }
            arg.append(backslashes, '\\');
            if (p == n || (!quoted && isBlank(line[p]))) break;
            if (copy) arg += line[p];
            ++p;
        }
        args.push_back(std::move(arg));
    }
    return args;
}

}  // namespace morvane

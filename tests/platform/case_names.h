// Names of table cases as test listings show them: plain ASCII only, with
// every other byte written as %HH, so that the test runner's scripts can
// carry them whatever bytes the case holds.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace morvane::testing {

inline std::string caseName(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        const bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') ||
                           (b >= '0' && b <= '9') ||
                           std::string_view(" .*?:_-/").find(c) != std::string_view::npos;
        if (plain) {
            out.push_back(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", b);
            out += hex;
        }
    }
    return out;
}

}  // namespace morvane::testing

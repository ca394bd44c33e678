// What the fuzz targets share: a check that stops the process with a message
// when a property does not hold, so libFuzzer keeps the input as a crash and
// the replay of the suite fails on it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace morvane::fuzz {

[[noreturn]] inline void checkFailed(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, what);
    std::abort();
}

// A printable form of bytes, for the messages of failed checks.
inline std::string shown(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

}  // namespace morvane::fuzz

#define FUZZ_CHECK(condition)                                                           \
    do {                                                                                \
        if (!(condition)) ::morvane::fuzz::checkFailed(#condition, __FILE__, __LINE__); \
    } while (false)

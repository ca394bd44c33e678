// The shared temporary drive of the tests, on Windows. The Windows C runtime
// has no mkdtemp, which the shared header makes its folders with: this gives
// one (a new folder with the template's XXXXXX replaced, never an existing
// one) and then includes the shared header itself.
#pragma once

#include <direct.h>

#include <cerrno>
#include <cstring>
#include <random>

inline char* mkdtemp(char* tmpl) {
    const std::size_t length = std::strlen(tmpl);
    if (length < 6 || std::strcmp(tmpl + length - 6, "XXXXXX") != 0) {
        errno = EINVAL;
        return nullptr;
    }
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kLetters) - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (std::size_t i = length - 6; i < length; ++i) tmpl[i] = kLetters[pick(random)];
        if (::_mkdir(tmpl) == 0) return tmpl;
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

#include "../../../support/temp_drive.h"

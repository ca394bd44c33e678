// The order of the project and folder lists: letter case ignored, then the
// exact text, so equal names in different case keep one stable order.
#pragma once

#include <windows.h>

#include <string>

namespace morvane {

inline bool listsBefore(const std::wstring& a, const std::wstring& b) {
    const int byCase = ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                              static_cast<int>(b.size()), TRUE);
    if (byCase != CSTR_EQUAL) return byCase == CSTR_LESS_THAN;
    return a < b;
}

}  // namespace morvane

#include "platform/reserved_names.h"

#include <array>
#include <string>

namespace morvane {
namespace {

std::string upperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool isPortDigit(std::string_view rest) {
    // 1 to 9, or the superscripts that Windows reads as digits (UTF-8).
    if (rest.size() == 1) return rest[0] >= '1' && rest[0] <= '9';
    return rest == "\xC2\xB9" || rest == "\xC2\xB2" || rest == "\xC2\xB3";
}

}  // namespace

bool isReservedDeviceName(std::string_view name) {
    // Windows looks at the part before the first dot, without trailing spaces.
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    const std::string upper = upperAscii(stem);
    static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                                 "NUL", "CONIN$", "CONOUT$"};
    for (std::string_view device : kDevices) {
        if (upper == device) return true;
    }
    if (upper.size() > 3 && (upper.starts_with("COM") || upper.starts_with("LPT"))) {
        return isPortDigit(std::string_view(upper).substr(3));
    }
    return false;
}

bool endsInDotOrSpace(std::string_view name) {
    return !name.empty() && (name.back() == '.' || name.back() == ' ');
}

}  // namespace morvane

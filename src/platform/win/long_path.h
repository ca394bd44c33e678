// Host paths as the wide file API takes them. A path longer than the classic
// limit of 260 characters is given in its \\?\ form, which Windows passes to
// the file system without that limit; shorter ones are given as they are, so
// that Windows still applies its usual name rules to them.
#pragma once

#include <filesystem>
#include <string>

namespace morvane {

std::wstring apiPath(const std::filesystem::path& hostPath);

// The path of a file to open, make, delete or rename, as apiPath gives it. A
// file name that Windows reserves for a device (CON, NUL, COM1, ...) or that
// ends in a dot or a space is refused with 52: opening it would reach the
// device, or a file of another name. A name longer than 255 characters is
// refused with 75, as Linux refuses it.
std::wstring apiFilePath(const std::filesystem::path& hostPath);

}  // namespace morvane

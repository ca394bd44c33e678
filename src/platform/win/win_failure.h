// Windows error codes as the program's failures: the same numbers and Spanish
// descriptions that the Linux host gives for the same condition.
#pragma once

#include <cstdint>
#include <filesystem>

#include "platform/failure.h"

namespace morvane {

// The failure that a Windows error code (GetLastError) stands for.
Failure failureFromWinError(std::uint32_t code);

// The failure of the calling thread's last Windows error.
Failure lastWinFailure();

// The failure of opening `hostPath`: a folder is no text file (75), whatever
// error Windows gives for it; anything else is the error's own failure.
Failure failureOfPath(std::uint32_t code, const std::filesystem::path& hostPath);

}  // namespace morvane

// Internal to the platform layer: host errors on a named path. A name that
// does not exist is "file not found" when its folder is there, and "path not
// found" when the folder itself is missing, as users of the program expect.
#pragma once

#include <filesystem>

#include "platform/failure.h"

namespace morvane {

// The failure for an errno value met while working on `hostPath`.
Failure failureOfPath(int errnoValue, const std::filesystem::path& hostPath);

}  // namespace morvane

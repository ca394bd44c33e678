// The per-host part of the failure table's contract: for each condition a
// program meets, the error codes by which this host reports it, and the
// host's translation of a code into a failure.
#pragma once

#include <vector>

#include "platform/failure.h"

namespace morvane::testing {

enum class Condition {
    NotFound,
    PathNotFound,
    Exists,
    Refused,        // rights, read-only file or medium
    HeldElsewhere,  // in use by another program
    DiskFull,
    TooManyFiles,
    NameUnusable,  // too long, or a folder that is not empty
    AcrossDrives,
    OutOfMemory,
    DeviceGone,  // a network share or device that went away
    NoMedium,
    DeviceIo,
};

// The host's codes for the condition (errno values on Linux, Windows error codes on Windows).
std::vector<int> hostCodes(Condition condition);
// A code that the host defines but the table does not name.
int unnamedHostCode();
// The failure the host's services give for a code.
Failure hostFailure(int code);

}  // namespace morvane::testing

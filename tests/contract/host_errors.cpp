#include "contract/host_errors.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win/win_failure.h"
#else
#include <cerrno>
#endif

namespace morvane::testing {

#ifdef _WIN32

std::vector<int> hostCodes(Condition condition) {
    switch (condition) {
        case Condition::NotFound:
            return {ERROR_FILE_NOT_FOUND};
        case Condition::PathNotFound:
            return {ERROR_PATH_NOT_FOUND, ERROR_INVALID_DRIVE, ERROR_DIRECTORY};
        case Condition::Exists:
            return {ERROR_FILE_EXISTS, ERROR_ALREADY_EXISTS};
        case Condition::Refused:
            return {ERROR_ACCESS_DENIED, ERROR_WRITE_PROTECT};
        case Condition::HeldElsewhere:
            return {ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION};
        case Condition::DiskFull:
            return {ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL, 1295 /* quota exceeded */};
        case Condition::TooManyFiles:
            return {ERROR_TOO_MANY_OPEN_FILES};
        case Condition::NameUnusable:
            return {ERROR_FILENAME_EXCED_RANGE, ERROR_DIR_NOT_EMPTY};
        case Condition::AcrossDrives:
            return {ERROR_NOT_SAME_DEVICE};
        case Condition::OutOfMemory:
            return {ERROR_NOT_ENOUGH_MEMORY, ERROR_OUTOFMEMORY};
        case Condition::DeviceGone:
            return {ERROR_NETNAME_DELETED, ERROR_BAD_NETPATH, ERROR_DEV_NOT_EXIST};
        case Condition::NoMedium:
            return {ERROR_NOT_READY};
        case Condition::DeviceIo:
            return {ERROR_CRC, ERROR_GEN_FAILURE, ERROR_IO_DEVICE};
    }
    return {};
}

int unnamedHostCode() {
    return ERROR_INVALID_FUNCTION;
}

Failure hostFailure(int code) {
    return failureFromWinError(static_cast<std::uint32_t>(code));
}

#else

std::vector<int> hostCodes(Condition condition) {
    switch (condition) {
        case Condition::NotFound:
            return {ENOENT};
        case Condition::PathNotFound:
            return {ENOTDIR};
        case Condition::Exists:
            return {EEXIST};
        case Condition::Refused:
            return {EACCES, EROFS};
        case Condition::HeldElsewhere:
            return {ETXTBSY};
        case Condition::DiskFull:
            return {ENOSPC, EDQUOT};
        case Condition::TooManyFiles:
            return {EMFILE, ENFILE};
        case Condition::NameUnusable:
            return {ENAMETOOLONG, ENOTEMPTY};
        case Condition::AcrossDrives:
            return {EXDEV};
        case Condition::OutOfMemory:
            return {ENOMEM};
        case Condition::DeviceGone:
            return {ENOTCONN, ESTALE, ENODEV};
        case Condition::NoMedium:
            return {ENOMEDIUM};
        case Condition::DeviceIo:
            return {EIO};
    }
    return {};
}

int unnamedHostCode() {
    return EDOM;
}

Failure hostFailure(int code) {
    return failureFromErrno(code);
}

#endif

}  // namespace morvane::testing

#include "platform/win/win_failure.h"

#include <windows.h>

#include <string>

#include "platform/win/long_path.h"
#include "platform/win/wide.h"

// Not in every SDK's headers.
#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L
#endif

namespace morvane {
namespace {

// Windows' own text for an error no failure number stands for, so that the
// box still says what happened.
std::string systemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text != nullptr ? text : L"", length);
    if (text != nullptr) ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(code) : toUtf8(message);
}

}  // namespace

Failure failureFromWinError(std::uint32_t code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
            return Failure(err::kFileNotFound);
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_PATHNAME:
        case ERROR_DIRECTORY:
            return Failure(err::kPathNotFound);
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return Failure(err::kFileExists);
        // Refused by the file's rights, by its read-only attribute or by a
        // write-protected medium: permission, as EACCES and EROFS on Linux.
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_PRIVILEGE_NOT_HELD:
        case ERROR_NETWORK_ACCESS_DENIED:
        // Held open by another program (an editor, an indexer, an antivirus):
        // permission as well, which the user may retry once it is let go.
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
        case ERROR_DELETE_PENDING:
            return Failure(err::kPermissionDenied);
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_DISK_FULL:
        case ERROR_DISK_QUOTA_EXCEEDED:
        case ERROR_FILE_TOO_LARGE:
            return Failure(err::kDiskFull);
        case ERROR_TOO_MANY_OPEN_FILES:
            return Failure(err::kTooManyFiles);
        // A name Windows cannot take (a reserved character, a device name).
        case ERROR_INVALID_NAME:
            return Failure(err::kBadFileNumber);
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_INVALID_PARAMETER:
        case ERROR_DIR_NOT_EMPTY:
        case ERROR_BUSY:
        case ERROR_CANT_ACCESS_FILE:
        case ERROR_CANT_RESOLVE_FILENAME:
        case ERROR_NOT_A_REPARSE_POINT:
            return Failure(err::kPathFileAccess);
        case ERROR_NOT_SAME_DEVICE:
            return Failure(err::kRenameAcrossDrives);
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
        case ERROR_NO_SYSTEM_RESOURCES:
            return Failure(err::kOutOfMemory);
        // A device or a network share that has gone away.
        case ERROR_BAD_UNIT:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_NETNAME_DELETED:
        case ERROR_UNEXP_NET_ERR:
        case ERROR_REM_NOT_LIST:
        case ERROR_NETWORK_BUSY:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_NETWORK_UNREACHABLE:
        case ERROR_HOST_UNREACHABLE:
        case ERROR_CONNECTION_ABORTED:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_NOT_CONNECTED:
        case ERROR_SEM_TIMEOUT:
        case ERROR_NO_NETWORK:
            return Failure(err::kDeviceUnavailable);
        case ERROR_NOT_READY:
        case ERROR_NO_MEDIA_IN_DRIVE:
            return Failure(err::kDiskNotReady);
        case ERROR_CRC:
        case ERROR_SEEK:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_WRITE_FAULT:
        case ERROR_READ_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_IO_DEVICE:
            return Failure(err::kDeviceIo);
        default:
            return Failure(err::kDeviceIo,
                           standardDescription(err::kDeviceIo) + " (" + systemMessage(code) + ")");
    }
}

Failure lastWinFailure() {
    return failureFromWinError(::GetLastError());
}

Failure failureOfPath(std::uint32_t code, const std::filesystem::path& hostPath) {
    if (code == ERROR_ACCESS_DENIED) {
        const DWORD attributes = ::GetFileAttributesW(apiPath(hostPath).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return Failure(err::kPathFileAccess);
        }
    }
    return failureFromWinError(code);
}

}  // namespace morvane

#include "platform/win/win_file.h"

#include <windows.h>

#include <algorithm>

#include "platform/failure.h"
#include "platform/win/win_failure.h"

namespace morvane {
namespace {

// ReadFile and WriteFile count in 32 bits.
constexpr std::size_t kLargestCall = 1u << 30;

}  // namespace

WinFile::~WinFile() {
    if (isOpen()) ::CloseHandle(handle_);
}

bool WinFile::isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

std::size_t WinFile::read(char* into, std::size_t size) {
    DWORD got = 0;
    if (!::ReadFile(handle_, into, static_cast<DWORD>(std::min(size, kLargestCall)), &got,
                    nullptr)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE) return 0;
        throw failureFromWinError(error);
    }
    return got;
}

std::size_t WinFile::write(const char* from, std::size_t size) {
    DWORD put = 0;
    const BOOL ok =
        ::WriteFile(handle_, from, static_cast<DWORD>(std::min(size, kLargestCall)), &put, nullptr);
    // What went out counts even when the call then failed; the next write
    // reports the failure.
    if (put > 0) return put;
    // A write that takes nothing without an error is a full disk as well.
    throw failureFromWinError(ok ? ERROR_DISK_FULL : ::GetLastError());
}

void WinFile::truncate(std::uint64_t size) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN) || !::SetEndOfFile(handle_)) {
        throw failureFromWinError(::GetLastError());
    }
}

void WinFile::sync() {
    if (!::FlushFileBuffers(handle_)) throw failureFromWinError(::GetLastError());
}

void WinFile::close() {
    if (!isOpen()) return;
    void* const handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (!::CloseHandle(handle)) throw failureFromWinError(::GetLastError());
}

}  // namespace morvane

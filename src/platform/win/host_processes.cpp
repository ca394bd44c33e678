#include "platform/win/host_processes.h"

#include <windows.h>

#include <vector>

#include "platform/failure.h"
#include "platform/processes/command_line.h"
#include "platform/win/program_search.h"
#include "platform/win/wide.h"
#include "platform/win/win_failure.h"

namespace morvane {
namespace {

// A start that fails reports the number and its standard description alone,
// as Windows programs report it: "No se encontró el archivo" for a program
// that is not on the search path, "Permiso denegado" for one that cannot run.
Failure startFailure(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return Failure(err::kFileNotFound);
        case ERROR_ACCESS_DENIED:
        case ERROR_BAD_EXE_FORMAT:
        case ERROR_EXE_MACHINE_TYPE_MISMATCH:
        case ERROR_EXE_MARKED_INVALID:
        case ERROR_INVALID_EXE_SIGNATURE:
        case ERROR_BAD_FORMAT:
        case ERROR_SHARING_VIOLATION:
            return Failure(err::kPermissionDenied);
        default:
            return failureFromWinError(error);
    }
}

ProcessHandle asHandle(HANDLE h) {
    return reinterpret_cast<ProcessHandle>(h);
}

}  // namespace

HostProcesses::~HostProcesses() {
    for (ProcessHandle h : opened_) ::CloseHandle(reinterpret_cast<HANDLE>(h));
    for (const auto& [id, h] : started_) ::CloseHandle(h);
}

double HostProcesses::Shell(const std::string& commandLine, int windowStyle) {
    sweep();
    const std::vector<std::string> args = splitCommandLine(commandLine);
    if (args.empty()) throw Failure(err::kInvalidCall);
    if (args.front().empty()) throw Failure(err::kFileNotFound);
    const std::wstring program = findProgram(toWide(args.front()));
    if (program.empty()) throw Failure(err::kFileNotFound);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION started{};
    // CreateProcessW may write into the command line it is given.
    std::wstring line = toWide(commandLine);
    // Leaving this program's job, where the job allows it, keeps a job that
    // ends its processes on close from taking the compiler along.
    DWORD flags = CREATE_NEW_PROCESS_GROUP | CREATE_UNICODE_ENVIRONMENT | CREATE_BREAKAWAY_FROM_JOB;
    BOOL ok = ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, flags,
                               nullptr, nullptr, &startup, &started);
    if (!ok && ::GetLastError() == ERROR_ACCESS_DENIED) {
        flags &= ~static_cast<DWORD>(CREATE_BREAKAWAY_FROM_JOB);
        line = toWide(commandLine);
        ok = ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                              nullptr, &startup, &started);
    }
    if (!ok) throw startFailure(::GetLastError());
    ::CloseHandle(started.hThread);
    started_[started.dwProcessId] = started.hProcess;
    return static_cast<double>(started.dwProcessId);
}

ProcessHandle HostProcesses::OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                                         std::uint32_t processId) {
    HANDLE h = nullptr;
    if (const auto it = started_.find(processId); it != started_.end()) {
        // The kept handle answers even for a program that has already ended.
        if (!::DuplicateHandle(::GetCurrentProcess(), it->second, ::GetCurrentProcess(), &h,
                               desiredAccess, inheritHandle, 0)) {
            return 0;
        }
    } else {
        h = ::OpenProcess(desiredAccess, inheritHandle, processId);
        if (h == nullptr) return 0;
    }
    opened_.insert(asHandle(h));
    return asHandle(h);
}

bool HostProcesses::GetExitCodeProcess(ProcessHandle handle, std::uint32_t& exitCode) {
    if (opened_.count(handle) == 0) return false;
    DWORD code = 0;
    if (!::GetExitCodeProcess(reinterpret_cast<HANDLE>(handle), &code)) return false;
    exitCode = code;
    return true;
}

bool HostProcesses::CloseHandle(ProcessHandle handle) {
    if (opened_.erase(handle) == 0) return false;
    const bool closed = ::CloseHandle(reinterpret_cast<HANDLE>(handle)) != 0;
    sweep();
    return closed;
}

void HostProcesses::Sleep(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

void HostProcesses::sweep() {
    for (auto it = started_.begin(); it != started_.end();) {
        if (::WaitForSingleObject(it->second, 0) == WAIT_OBJECT_0) {
            ::CloseHandle(it->second);
            it = started_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace morvane

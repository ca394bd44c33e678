// Starting a program and following its process, in the target platform's
// terms: a command line gives a process identifier, OpenProcess gives a handle,
// GetExitCodeProcess reads 259 while the process runs and its exit code after.
#pragma once

#include <cstdint>
#include <string>

namespace morvane {

inline constexpr std::uint32_t kStillActive = 259;
inline constexpr std::uint32_t kProcessQueryInformation = 0x400;

using ProcessHandle = std::intptr_t;  // 0 is no handle

class ProcessServices {
public:
    virtual ~ProcessServices() = default;
    // Starts the command line (program and arguments separated by white space,
    // the program found on the search path) with a window style, and returns
    // the new process's identifier. Throws Failure when it cannot be started.
    virtual double Shell(const std::string& commandLine, int windowStyle) = 0;
    // A handle to the process, or 0 when it cannot be opened.
    virtual ProcessHandle OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                                      std::uint32_t processId) = 0;
    // Writes kStillActive while the process runs, its exit code once it has ended.
    virtual bool GetExitCodeProcess(ProcessHandle handle, std::uint32_t& exitCode) = 0;
    virtual bool CloseHandle(ProcessHandle handle) = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
};

}  // namespace morvane

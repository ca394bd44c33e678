// The process services on a POSIX host (Linux).
//
// Provides:
// - Shell: splits the command line as the target platform's C runtime does,
//   finds the program on PATH and starts it directly (posix_spawn, no shell),
//   in a session of its own so that it runs on when the program ends or is
//   interrupted. The window style has no meaning here and is ignored.
// - OpenProcess / GetExitCodeProcess / CloseHandle: handles are entries of a
//   small table. A handle of a process started by Shell reads 259 while it
//   runs and its exit status once it has ended; the ended process is reaped
//   at that read, so no zombie outlives the wait, and the status is kept for
//   every later read.
// - Sleep: nanosleep.
//
// Does not provide: window styles, handle inheritance, access rights (every
// handle may query), the exit code of a process that Shell did not start.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/processes.h"

namespace morvane {

// Exit code read for a process that died of a signal, whichever: the code the
// target platform gives a program ended from outside. A process's own exit
// status is 0 to 255, so it never mixes with this code, and neither can read
// as 259 (still running).
inline constexpr std::uint32_t kSignalExitCode = 0xC000013A;
// Exit code read for an ended process whose status this program cannot know:
// one that Shell did not start, or one that something else reaped.
inline constexpr std::uint32_t kUnknownExitCode = 0xFFFFFFFF;

class HostProcesses : public ProcessServices {
  public:
    HostProcesses() = default;
    // Closes every handle. Processes that are still running are left to run.
    ~HostProcesses() override;
    HostProcesses(const HostProcesses&) = delete;
    HostProcesses& operator=(const HostProcesses&) = delete;

    // Failure 53 when the program is not found, 70 when it is found but may
    // not be run, 5 for a command line without a program; each with its
    // standard description.
    double Shell(const std::string& commandLine, int windowStyle) override;
    // A handle for a process started by Shell (running, or ended and not yet
    // forgotten) or for any other process that exists; 0 otherwise.
    ProcessHandle OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                              std::uint32_t processId) override;
    // False, leaving exitCode as it was, for a handle that is not open.
    bool GetExitCodeProcess(ProcessHandle handle, std::uint32_t& exitCode) override;
    // False for a handle that is not open.
    bool CloseHandle(ProcessHandle handle) override;
    void Sleep(std::uint32_t milliseconds) override;

  private:
    // A process that Shell started. Its handles share it, so that a handle
    // keeps the end it read even after the identifier is used again.
    struct Child {
        pid_t pid = 0;
        bool reaped = false;
        std::uint32_t exitCode = kStillActive;
    };
    // An open handle: to one of our children, or to another process through
    // a pidfd (-1 when the host has none and existence is tested by kill).
    struct Handle {
        pid_t pid = 0;
        std::shared_ptr<Child> child;
        int pidfd = -1;
    };

    // Reads the child's status without blocking; reaps it once it has ended.
    static void poll(Child& child);
    // Reaps every child that has ended and forgets those without handles:
    // like the target platform, an ended process with no handle is gone.
    void sweep();

    std::map<pid_t, std::shared_ptr<Child>> children_;
    std::map<ProcessHandle, Handle> handles_;
    ProcessHandle nextHandle_ = 4;
};

}  // namespace morvane

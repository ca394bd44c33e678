// The process services on a Windows host.
//
// Provides:
// - Shell: hands the command line to CreateProcessW as it is (no shell, no
//   re-quoting), with the program found as Windows finds one (SearchPathW:
//   `.exe` added to a name without extension; the program's own folder, the
//   current folder, the system folders, then PATH) and the window style as
//   the new program's show command. The program is started in a process group
//   of its own and outside any job that would end it with this program, so
//   it runs on when this program ends or is cancelled.
// - OpenProcess / GetExitCodeProcess / CloseHandle: Windows' own handles. The
//   process handle that CreateProcessW gives is kept until the process has
//   ended and nobody asks for it any more, so a handle can be opened to a
//   program that ended at once, and its identifier cannot be reused before.
// - Sleep: Windows' Sleep.
//
// Does not provide: handle inheritance into the started program, other
// creation flags, a console of its own.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "platform/processes.h"

namespace morvane {

class HostProcesses : public ProcessServices {
  public:
    HostProcesses() = default;
    // Closes every handle. Processes that are still running are left to run.
    ~HostProcesses() override;
    HostProcesses(const HostProcesses&) = delete;
    HostProcesses& operator=(const HostProcesses&) = delete;

    // Failure 53 when the program is not found, 70 when it is found but
    // cannot be run, 5 for a command line without a program.
    double Shell(const std::string& commandLine, int windowStyle) override;
    ProcessHandle OpenProcess(std::uint32_t desiredAccess, bool inheritHandle,
                              std::uint32_t processId) override;
    // False, leaving exitCode as it was, for a handle that is not open.
    bool GetExitCodeProcess(ProcessHandle handle, std::uint32_t& exitCode) override;
    // False for a handle that this object did not open.
    bool CloseHandle(ProcessHandle handle) override;
    void Sleep(std::uint32_t milliseconds) override;

  private:
    // Closes the kept handles of started programs that have ended.
    void sweep();

    std::map<std::uint32_t, void*> started_;  // process identifier to its handle
    std::set<ProcessHandle> opened_;          // handles given out by OpenProcess
};

}  // namespace morvane

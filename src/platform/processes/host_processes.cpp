#include "platform/processes/host_processes.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/failure.h"
#include "platform/processes/command_line.h"

extern char** environ;

namespace morvane {

namespace {

// Where a program given without a folder was found.
struct Found {
    std::string path;     // empty when not found
    bool denied = false;  // a file of that name exists but may not be run
};

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The search of the host's PATH, as execvp does it: each folder in turn, an
// empty entry meaning the current folder. The name is tried exactly as given.
Found findProgram(const std::string& name) {
    Found found;
    if (name.find('/') != std::string::npos) {
        if (::access(name.c_str(), X_OK) == 0 && isRegularFile(name)) {
            found.path = name;
        } else if (isRegularFile(name)) {
            found.denied = true;
        }
        return found;
    }
    const char* env = std::getenv("PATH");
    std::string path = env ? env : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    for (;;) {
        std::size_t end = path.find(':', start);
        std::string folder = path.substr(start, end == std::string::npos ? end : end - start);
        std::string candidate = folder.empty() ? name : folder + "/" + name;
        if (isRegularFile(candidate)) {
            if (::access(candidate.c_str(), X_OK) == 0) {
                found.path = candidate;
                found.denied = false;
                return found;
            }
            found.denied = true;
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return found;
}

// A start that fails reports the number and its standard description alone,
// as the target platform's start does: "No se encontró el archivo" for a
// program that is not on the search path.
Failure startFailureFromErrno(int e) {
    switch (e) {
        case ENOENT:
        case ENOTDIR:
            return Failure(err::kFileNotFound);
        case EACCES:
        case EPERM:
        case ENOEXEC:
            return Failure(err::kPermissionDenied);
        default:
            return failureFromErrno(e);
    }
}

std::uint32_t exitCodeOf(int status) {
    if (WIFEXITED(status)) return static_cast<std::uint32_t>(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return kSignalExitCode;
    return kUnknownExitCode;
}

// A descriptor that follows the process without being its parent, or -1 when
// the host cannot give one (the caller then tests existence by kill).
int openPidfd(pid_t pid, bool& exists) {
#ifdef SYS_pidfd_open
    long fd = ::syscall(SYS_pidfd_open, pid, 0);
    if (fd >= 0) {
        exists = true;
        return static_cast<int>(fd);
    }
    if (errno != ENOSYS) {
        exists = false;
        return -1;
    }
#endif
    exists = ::kill(pid, 0) == 0 || errno == EPERM;
    return -1;
}

// Guards the attributes and file actions of one spawn.
struct SpawnSetup {
    posix_spawnattr_t attr;
    posix_spawn_file_actions_t actions;
    SpawnSetup() {
        posix_spawnattr_init(&attr);
        posix_spawn_file_actions_init(&actions);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

}  // namespace

HostProcesses::~HostProcesses() {
    for (auto& [h, handle] : handles_) {
        if (handle.pidfd >= 0) ::close(handle.pidfd);
    }
    handles_.clear();
    sweep();
}

double HostProcesses::Shell(const std::string& commandLine, int /*windowStyle*/) {
    sweep();
    std::vector<std::string> args = splitCommandLine(commandLine);
    if (args.empty()) throw Failure(err::kInvalidCall);
    const std::string& program = args.front();
    if (program.empty()) throw Failure(err::kFileNotFound);
    Found found = findProgram(program);
    if (found.path.empty()) {
        throw Failure(found.denied ? err::kPermissionDenied : err::kFileNotFound);
    }

    SpawnSetup setup;
    // A session of its own: a hangup of the terminal, a signal to the
    // program's process group or the program's end leaves the compiler alone.
    short flags = POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    posix_spawnattr_setflags(&setup.attr, flags);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&setup.attr, &none);
    // Signals that this program ignores or handles start with their default
    // action in the new process.
    sigset_t all;
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    posix_spawnattr_setsigdefault(&setup.attr, &all);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // The program's own open files are not the compiler's business.
    posix_spawn_file_actions_addclosefrom_np(&setup.actions, 3);
#endif

    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    int rc =
        posix_spawn(&pid, found.path.c_str(), &setup.actions, &setup.attr, argv.data(), environ);
    if (rc != 0) throw startFailureFromErrno(rc);
    // An identifier used again replaces a child that was reaped long ago;
    // handles still open to that one keep it.
    children_[pid] = std::make_shared<Child>(Child{pid});
    return static_cast<double>(pid);
}

ProcessHandle HostProcesses::OpenProcess(std::uint32_t /*desiredAccess*/, bool /*inheritHandle*/,
                                         std::uint32_t processId) {
    if (processId == 0 || processId > static_cast<std::uint32_t>(INT_MAX)) return 0;
    const pid_t pid = static_cast<pid_t>(processId);
    Handle handle;
    handle.pid = pid;
    if (auto it = children_.find(pid); it != children_.end()) {
        handle.child = it->second;
    } else {
        bool exists = false;
        handle.pidfd = openPidfd(pid, exists);
        if (!exists) return 0;
    }
    ProcessHandle h = nextHandle_;
    nextHandle_ += 4;
    handles_[h] = handle;
    return h;
}

bool HostProcesses::GetExitCodeProcess(ProcessHandle h, std::uint32_t& exitCode) {
    auto it = handles_.find(h);
    if (it == handles_.end()) return false;
    const Handle& handle = it->second;
    if (handle.child) {
        poll(*handle.child);
        exitCode = handle.child->exitCode;
        return true;
    }
    bool running;
    if (handle.pidfd >= 0) {
        pollfd p{handle.pidfd, POLLIN, 0};
        int r;
        do {
            r = ::poll(&p, 1, 0);
        } while (r < 0 && errno == EINTR);
        running = r == 0;
    } else {
        running = ::kill(handle.pid, 0) == 0 || errno == EPERM;
    }
    exitCode = running ? kStillActive : kUnknownExitCode;
    return true;
}

bool HostProcesses::CloseHandle(ProcessHandle h) {
    auto it = handles_.find(h);
    if (it == handles_.end()) return false;
    if (it->second.pidfd >= 0) ::close(it->second.pidfd);
    handles_.erase(it);
    sweep();
    return true;
}

void HostProcesses::Sleep(std::uint32_t milliseconds) {
    timespec left{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

void HostProcesses::poll(Child& child) {
    if (child.reaped) return;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(child.pid, &status, WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == 0) return;  // still running
    child.reaped = true;
    // Reaped elsewhere (r < 0, ECHILD): ended, with a status nobody kept.
    child.exitCode = r == child.pid ? exitCodeOf(status) : kUnknownExitCode;
}

void HostProcesses::sweep() {
    for (auto it = children_.begin(); it != children_.end();) {
        poll(*it->second);
        // Only this table holds it: no handle is open.
        if (it->second->reaped && it->second.use_count() == 1) {
            it = children_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace morvane

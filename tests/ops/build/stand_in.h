// What the tests of the builder share: the stand-in compiler put first on
// PATH and told through the environment how to end, its log read back, and a
// watching layer over the host's process services that ends each started
// compiler at a chosen exit-code read, so that the number of passes of a
// wait is exact whatever the machine's load.
#pragma once

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/processes.h"
#include "platform/processes/host_processes.h"

namespace morvane::testing {

// Sets environment variables for the life of the object and puts the old
// values back afterwards.
class ScopedEnv {
  public:
    ScopedEnv() = default;
    ~ScopedEnv() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) {
                ::setenv(it->first.c_str(), it->second->c_str(), 1);
            } else {
                ::unsetenv(it->first.c_str());
            }
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void set(const std::string& name, const std::string& value) {
        remember(name);
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    void unset(const std::string& name) {
        remember(name);
        ::unsetenv(name.c_str());
    }

  private:
    void remember(const std::string& name) {
        const char* v = std::getenv(name.c_str());
        saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// One start of the stand-in, as its log tells it.
struct StandInStart {
    pid_t pid = 0;
    std::string cwd;
    pid_t sid = 0;
    std::vector<std::string> args;  // without the program name
};

// The stand-in's folder first on PATH, its log and its release file in
// `folder`, and every other setting of the stand-in cleared.
class StandIn {
  public:
    explicit StandIn(const std::filesystem::path& folder)
        : log_(folder / "stand-in.log"), release_(folder / "release") {
        const char* path = std::getenv("PATH");
        env_.set("PATH", std::string(MORVANE_STAND_IN_DIR) + ":" + (path ? path : ""));
        env_.set("MORVANE_STANDIN_LOG", log_.string());
        env_.set("MORVANE_STANDIN_WAIT_FOR", release_.string());
        for (const char* name : {"MORVANE_STANDIN_WAIT_MS", "MORVANE_STANDIN_EXIT",
                                 "MORVANE_STANDIN_SIGNAL", "MORVANE_STANDIN_FOREVER"}) {
            env_.unset(name);
        }
    }

    // Further settings for the stand-ins started from now on.
    void set(const std::string& name, const std::string& value) { env_.set(name, value); }
    // A PATH on which no vb6 is found.
    void hideCompiler(const std::filesystem::path& emptyFolder) {
        std::filesystem::create_directories(emptyFolder);
        env_.set("PATH", emptyFolder.string());
    }
    void showCompiler() { env_.set("PATH", std::string(MORVANE_STAND_IN_DIR)); }

    const std::filesystem::path& releaseFile() const { return release_; }

    std::vector<StandInStart> starts() const {
        std::vector<StandInStart> result;
        std::ifstream in(log_);
        std::string line;
        while (std::getline(in, line)) {
            const auto space = line.find(' ');
            const std::string key = line.substr(0, space);
            const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
            if (key == "start") {
                result.push_back({});
                result.back().pid = static_cast<pid_t>(std::stol(value));
            } else if (result.empty() || key == "exit" || key == "end") {
                continue;
            } else if (key == "cwd") {
                result.back().cwd = value;
            } else if (key == "sid") {
                result.back().sid = static_cast<pid_t>(std::stol(value));
            } else if (key == "arg") {
                result.back().args.push_back(value);
            }
        }
        return result;
    }

  private:
    ScopedEnv env_;
    std::filesystem::path log_;
    std::filesystem::path release_;
};

// Whether the process exists and has not ended: running, sleeping or stopped,
// neither a zombie nor gone.
inline bool isAlive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string all;
    if (!std::getline(stat, all)) return false;
    const auto close = all.rfind(')');
    if (close == std::string::npos || close + 2 >= all.size()) return false;
    const char state = all[close + 2];
    return state != 'Z' && state != 'X';
}

// Whether a child of this process has been reaped: it is no longer a child
// at all, neither running nor a zombie. Asking does not reap it.
inline bool isReaped(pid_t pid) {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) < 0 &&
           errno == ECHILD;
}

// Blocks until the child has ended, without reaping it.
inline void awaitEnd(pid_t pid) {
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) != 0) {
        if (errno != EINTR) throw std::runtime_error("waitid failed");
    }
}

// The host's process services with a watcher in front. Every call is written
// to `trace`. Each start takes the next number of `endAtRead`: the stand-in
// started there is released (its release file appears) and has ended just
// before that exit-code read of its handle: 1 means it has ended before the
// first read. Without a number the stand-in is left to end by itself.
// Starts listed in `refuseOpen` (counted from 1) get no handle.
class WatchedProcesses : public ProcessServices {
  public:
    explicit WatchedProcesses(const StandIn& standIn) : release_(standIn.releaseFile()) {}

    std::deque<int> endAtRead;
    std::set<int> refuseOpen;
    std::vector<std::string> trace;
    std::vector<pid_t> started;
    std::vector<std::uint32_t> sleeps;  // milliseconds asked for

    double Shell(const std::string& commandLine, int windowStyle) override {
        const double id = host_.Shell(commandLine, windowStyle);
        const pid_t pid = static_cast<pid_t>(id);
        started.push_back(pid);
        int endAt = 0;
        if (!endAtRead.empty()) {
            endAt = endAtRead.front();
            endAtRead.pop_front();
        }
        trace.push_back("start style " + std::to_string(windowStyle));
        const bool refused = refuseOpen.count(static_cast<int>(started.size())) > 0;
        if (endAt == 1 || refused) {
            release(pid);
        } else {
            endAt_[pid] = endAt;
        }
        return id;
    }
    ProcessHandle OpenProcess(std::uint32_t access, bool inherit, std::uint32_t id) override {
        if (refuseOpen.count(static_cast<int>(started.size())) > 0) {
            trace.push_back("open refused");
            return 0;
        }
        const ProcessHandle h = host_.OpenProcess(access, inherit, id);
        std::ostringstream s;
        s << "open access 0x" << std::hex << access << (inherit ? " inherit" : "");
        trace.push_back(s.str());
        pidOf_[h] = static_cast<pid_t>(id);
        return h;
    }
    bool GetExitCodeProcess(ProcessHandle h, std::uint32_t& exitCode) override {
        if (auto it = pidOf_.find(h); it != pidOf_.end()) {
            const int read = ++reads_[h];
            if (endAt_[it->second] == read) release(it->second);
        }
        const bool ok = host_.GetExitCodeProcess(h, exitCode);
        trace.push_back("read " + std::to_string(exitCode));
        return ok;
    }
    bool CloseHandle(ProcessHandle h) override {
        trace.push_back("close");
        return host_.CloseHandle(h);
    }
    void Sleep(std::uint32_t ms) override {
        // The pause asked for is recorded; a short real one keeps the tests fast.
        sleeps.push_back(ms);
        trace.push_back("sleep " + std::to_string(ms));
        host_.Sleep(1);
    }

  private:
    void release(pid_t pid) {
        std::ofstream(release_).put('\n');
        awaitEnd(pid);
        std::filesystem::remove(release_);
    }

    HostProcesses host_;
    std::filesystem::path release_;
    std::map<pid_t, int> endAt_;
    std::map<ProcessHandle, pid_t> pidOf_;
    std::map<ProcessHandle, int> reads_;
};

}  // namespace morvane::testing

// A whole batch run (CmdOK_Click) in a child process over real files, so that
// a test can give it faults that only a process can have: a file size limit,
// a limit of open files, another user's rights, a SIGKILL at any moment. The
// child answers every box by a policy and sends each box it showed back to
// the test through a pipe; the test then looks at what stayed on disk.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/drives.h"
#include "platform/failure.h"
#include "platform/host_components.h"
#include "platform/host_files.h"
#include "platform/processes/host_processes.h"
#include "platform/services.h"
#include "run/controller.h"
#include "support/scripted_window.h"

namespace morvane::testing {

// How the child answers the boxes of a run.
enum class Answers {
    Ignore,           // Ignore every failure
    Abort,            // Abort every failure (which, like Ignore, goes on)
    RetryThenIgnore,  // Retry a failure three times in a row, then Ignore
};

inline const char* answersName(Answers a) {
    switch (a) {
        case Answers::Ignore:
            return "Ignore";
        case Answers::Abort:
            return "Abort";
        case Answers::RetryThenIgnore:
            return "RetryThenIgnore";
    }
    return "?";
}

// Answers the confirmation with Yes, an OK box with OK, and a failure box by
// the policy; records every box.
class PolicyToolkit : public ScriptedToolkit {
  public:
    explicit PolicyToolkit(Answers answers) : answers_(answers) {}
    std::function<void(const Box&)> onBox;  // sees each box as it is shown

    int msgBox(const std::string& text, int style,
               const std::optional<std::string>& title) override {
        boxes.push_back({text, style, title});
        if (onBox) onBox(boxes.back());
        if (style == mb::kYesNoQuestion) return mb::kYes;
        if (style != mb::kAbortRetryIgnoreCritical) return 1;
        if (text != lastFailure_) retries_ = 0;
        lastFailure_ = text;
        switch (answers_) {
            case Answers::Ignore:
                return mb::kIgnore;
            case Answers::Abort:
                return mb::kAbort;
            case Answers::RetryThenIgnore:
                if (retries_ < 3) {
                    ++retries_;
                    return mb::kRetry;
                }
                retries_ = 0;
                return mb::kIgnore;
        }
        return mb::kIgnore;
    }

  private:
    Answers answers_;
    std::string lastFailure_;
    int retries_ = 0;
};

// What a child run gave back.
struct ChildResult {
    bool exited = false;  // ended by returning from main's equivalent
    int exitCode = -1;    // 0: CmdOK_Click returned; 10: the program ended; 11: an escaped Failure
    int signal = 0;       // the signal that ended it, if one did
    std::vector<Box> boxes;
    std::string detalle;  // the status line at the end
    std::string marks;    // the list's marks at the end, '1' for a marked entry

    bool returned() const { return exited && exitCode == 0; }
    int failureBoxes() const {
        int n = 0;
        for (const Box& b : boxes) n += b.style == mb::kAbortRetryIgnoreCritical;
        return n;
    }
    bool showed(const std::string& text) const {
        for (const Box& b : boxes)
            if (b.text == text) return true;
        return false;
    }
    std::string describe() const {
        std::string s = "exit " + std::to_string(exitCode) + " signal " + std::to_string(signal) +
                        ", " + std::to_string(boxes.size()) + " boxes:";
        for (std::size_t i = 0; i < boxes.size() && i < 8; ++i)
            s += " [" + std::to_string(boxes[i].style) + "] " + boxes[i].text + ";";
        return s;
    }
};

// The run a child makes: drive c: over `folder`, the form as the test fills it.
struct ChildRunSpec {
    std::string folder;  // host folder of drive c:
    ScriptedForm form;
    Answers answers = Answers::Ignore;
    std::deque<std::string> inputs;  // the names typed into input boxes, in order
    // Done in the child before the run: limits, another user, environment.
    std::function<void()> beforeRun;
    // Done in the child at every pending-events pass (the build's wait).
    std::function<void(ScriptedForm&, Services&)> onDoEvents;
};

namespace child_detail {

inline void writeAll(int fd, const std::string& s) {
    std::size_t done = 0;
    while (done < s.size()) {
        const ssize_t n = ::write(fd, s.data() + done, s.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

// One record per line: kind, tab, text with its line ends escaped.
inline std::string record(char kind, int style, const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '\n')
            escaped += "\\n";
        else if (c == '\r')
            escaped += "\\r";
        else if (c == '\\')
            escaped += "\\\\";
        else
            escaped += c;
    }
    return std::string(1, kind) + std::to_string(style) + "\t" + escaped + "\n";
}

inline std::string unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char c = s[++i];
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        } else {
            out += s[i];
        }
    }
    return out;
}

[[noreturn]] inline void runInChild(ChildRunSpec& plan, int out) {
    int code = 0;
    {
        if (plan.beforeRun) plan.beforeRun();
        DriveTable drives;
        drives.map('c', plan.folder);
        drives.setStartDrive('c');
        HostFileServices files(drives);
        HostComponents components(drives);
        HostProcesses processes;
        PolicyToolkit toolkit(plan.answers);
        toolkit.inputs = plan.inputs;
        toolkit.onBox = [out](const Box& b) { writeAll(out, record('B', b.style, b.text)); };
        Services sv{files, components, processes, toolkit, plan.form};
        if (plan.onDoEvents) toolkit.onDoEvents = [&] { plan.onDoEvents(plan.form, sv); };
        try {
            CmdOK_Click(sv);
        } catch (const ProgramEnded&) {
            code = 10;
        } catch (const Failure& f) {
            writeAll(out, record('F', f.number(), f.description()));
            code = 11;
        } catch (const std::exception& e) {
            writeAll(out, record('X', 0, e.what()));
            code = 12;
        }
        writeAll(out, record('D', 0, plan.form.detalle));
        std::string marks;
        for (const auto& entry : plan.form.list) marks += entry.selected ? '1' : '0';
        writeAll(out, record('M', 0, marks));
    }
    ::_exit(code);
}

}  // namespace child_detail

// Starts the run in a child. `whileRunning` gets the child's pid and may kill
// it; the result is read once the child has ended.
inline ChildResult runChild(ChildRunSpec plan,
                            const std::function<void(pid_t)>& whileRunning = {}) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) std::abort();
    const pid_t pid = ::fork();
    if (pid < 0) std::abort();
    if (pid == 0) {
        ::close(fds[0]);
        child_detail::runInChild(plan, fds[1]);
    }
    ::close(fds[1]);
    if (whileRunning) whileRunning(pid);
    std::string text;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ChildResult r;
    r.exited = WIFEXITED(status);
    r.exitCode = r.exited ? WEXITSTATUS(status) : -1;
    r.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) break;  // a record cut off by a kill
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || line.empty()) continue;
        const int style = std::atoi(line.substr(1, tab - 1).c_str());
        const std::string body = child_detail::unescape(line.substr(tab + 1));
        if (line[0] == 'B') r.boxes.push_back({body, style, std::nullopt});
        if (line[0] == 'D') r.detalle = body;
        if (line[0] == 'M') r.marks = body;
        if (line[0] == 'F' || line[0] == 'X')
            r.boxes.push_back({"escaped: " + body, -1, std::nullopt});
    }
    return r;
}

// Limits of the child, to be called from ChildRunSpec::beforeRun.
inline void limitFileSize(rlim_t bytes) {
    // The write that passes the limit then fails with EFBIG instead of the
    // process being killed by SIGXFSZ: a disk that is full.
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) std::abort();
}

inline void limitOpenFiles(rlim_t count) {
    const rlimit limit{count, count};
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) std::abort();
}

}  // namespace morvane::testing

namespace morvane::testing {

// Runs `body` in a child process and gives its result (0 to 255), or -1 when
// the child ended otherwise (a signal, a crash).
inline int runInChildProcess(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid < 0) std::abort();
    if (pid == 0) {
        int code = 255;
        try {
            code = body();
        } catch (...) {
        }
        ::_exit(code);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace morvane::testing

// A stand-in for the compiler that the builder starts. It does nothing with
// its arguments; it reports how it was started and ends the way a test tells
// it to, through the environment:
//
//   MORVANE_STANDIN_LOG       file to which one record per start is appended:
//                             "start <pid>", "cwd <folder>", "sid <session>",
//                             "arg <argument>" for each argument after the
//                             program name, "end"; then "exit <pid>" just
//                             before it ends.
//   MORVANE_STANDIN_WAIT_MS   milliseconds to wait before ending.
//   MORVANE_STANDIN_WAIT_FOR  a file whose appearance it waits for.
//   MORVANE_STANDIN_FOREVER   when 1, it never ends by itself (a test kills it).
//   MORVANE_STANDIN_EXIT      its exit code (0 when not given).
//   MORVANE_STANDIN_SIGNAL    a signal number to die of instead of exiting.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

void append(const std::string& text) {
    const char* log = std::getenv("MORVANE_STANDIN_LOG");
    if (!log) return;
    int fd = ::open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    // One write, so records of processes running side by side never mix.
    ssize_t written = ::write(fd, text.data(), text.size());
    (void)written;
    ::close(fd);
}

void sleepMs(long ms) {
    timespec t{ms / 1000, (ms % 1000) * 1000000L};
    while (::nanosleep(&t, &t) != 0) {
    }
}

long envNumber(const char* name, long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtol(v, nullptr, 10) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    std::string record = "start " + std::to_string(::getpid()) + "\n";
    char cwd[4096];
    record += "cwd " + std::string(::getcwd(cwd, sizeof cwd) ? cwd : "?") + "\n";
    record += "sid " + std::to_string(::getsid(0)) + "\n";
    for (int i = 1; i < argc; ++i) record += "arg " + std::string(argv[i]) + "\n";
    record += "end\n";
    append(record);

    if (long ms = envNumber("MORVANE_STANDIN_WAIT_MS", 0); ms > 0) sleepMs(ms);
    if (const char* file = std::getenv("MORVANE_STANDIN_WAIT_FOR"); file && *file) {
        struct stat st {};
        while (::stat(file, &st) != 0) sleepMs(10);
    }

    if (envNumber("MORVANE_STANDIN_FOREVER", 0) == 1) {
        for (;;) ::pause();
    }

    append("exit " + std::to_string(::getpid()) + "\n");
    if (long sig = envNumber("MORVANE_STANDIN_SIGNAL", 0); sig > 0) {
        ::signal(static_cast<int>(sig), SIG_DFL);
        ::raise(static_cast<int>(sig));
    }
    return static_cast<int>(envNumber("MORVANE_STANDIN_EXIT", 0));
}

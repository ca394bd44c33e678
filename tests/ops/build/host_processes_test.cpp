// The host's process services against real processes: the stand-in compiler
// is found on PATH and started directly with its arguments untouched, in a
// session of its own and without the program's open files; the exit code
// reads 259 while it runs and its end afterwards; every ended child is reaped.
#include "platform/processes/host_processes.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/failure.h"
#include "stand_in.h"
#include "support/temp_drive.h"

namespace morvane {
namespace {

using testing::StandIn;
using testing::TempFolder;

// Reads the exit code until it is no longer 259, for at most ten seconds.
std::uint32_t exitCodeOnceEnded(HostProcesses& hp, ProcessHandle h) {
    std::uint32_t code = kStillActive;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (hp.GetExitCodeProcess(h, code) && code == kStillActive &&
           std::chrono::steady_clock::now() < deadline) {
        hp.Sleep(5);
    }
    return code;
}

void release(const StandIn& standIn) {
    std::ofstream(standIn.releaseFile()).put('\n');
}

std::vector<int> openDescriptors(pid_t pid) {
    std::vector<int> fds;
    std::error_code ec;
    for (const auto& e :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
        fds.push_back(std::stoi(e.path().filename().string()));
    }
    return fds;
}

class HostProcessesTest : public ::testing::Test {
  protected:
    TempFolder tmp;
    StandIn standIn{tmp.path()};
};

TEST_F(HostProcessesTest, StartsTheProgramOnPathDirectlyWithItsArgumentsUntouched) {
    // A descriptor of ours that a started program must not receive.
    const int ours = ::open((tmp / "ours").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(ours, 0);

    HostProcesses hp;
    const std::string path = R"(C:\Proyectos Viejos\$HOME;x|y&z'q'*`id`.vbp)";
    const pid_t pid = static_cast<pid_t>(hp.Shell("vb6 /m " + path, 6));
    const ProcessHandle h = hp.OpenProcess(kProcessQueryInformation, false, pid);
    ASSERT_NE(h, 0);

    std::uint32_t code = 0;
    EXPECT_TRUE(hp.GetExitCodeProcess(h, code));
    EXPECT_EQ(code, kStillActive);

    // Wait for the stand-in's record, then for it to hold only its standard streams.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::vector<int> fds;
    while (std::chrono::steady_clock::now() < deadline) {
        fds = openDescriptors(pid);
        if (!standIn.starts().empty() && fds == std::vector<int>{0, 1, 2}) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(fds, (std::vector<int>{0, 1, 2}));
    ::close(ours);

    release(standIn);
    EXPECT_EQ(exitCodeOnceEnded(hp, h), 0u);
    hp.CloseHandle(h);

    const auto starts = standIn.starts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].pid, pid);
    EXPECT_EQ(starts[0].args, (std::vector<std::string>{"/m", R"(C:\Proyectos)",
                                                        R"(Viejos\$HOME;x|y&z'q'*`id`.vbp)"}));
    // No working folder of its own: the program's.
    EXPECT_EQ(starts[0].cwd, std::filesystem::current_path().string());
    // A session of its own, so that it runs on when the program ends.
    EXPECT_EQ(starts[0].sid, pid);
}

struct EndCase {
    const char* name;
    const char* variable;
    const char* value;
    std::uint32_t code;
};

class HostProcessesEnd : public HostProcessesTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(HostProcessesEnd, ReadsStillActiveThenTheEndAndReapsTheChild) {
    standIn.set(GetParam().variable, GetParam().value);
    HostProcesses hp;
    const pid_t pid = static_cast<pid_t>(hp.Shell("vb6 /m x", 6));
    const ProcessHandle h = hp.OpenProcess(kProcessQueryInformation, false, pid);
    ASSERT_NE(h, 0);
    std::uint32_t code = 0;
    EXPECT_TRUE(hp.GetExitCodeProcess(h, code));
    EXPECT_EQ(code, kStillActive);

    release(standIn);
    testing::awaitEnd(pid);
    EXPECT_TRUE(hp.GetExitCodeProcess(h, code));
    EXPECT_EQ(code, GetParam().code);
    // Reaped at the read that saw the end: no zombie waits for the handle's release.
    EXPECT_TRUE(testing::isReaped(pid));
    // The end is kept for every later read of the handle.
    code = 1234;
    EXPECT_TRUE(hp.GetExitCodeProcess(h, code));
    EXPECT_EQ(code, GetParam().code);

    EXPECT_TRUE(hp.CloseHandle(h));
    EXPECT_FALSE(hp.CloseHandle(h));
    code = 1234;
    EXPECT_FALSE(hp.GetExitCodeProcess(h, code));
    EXPECT_EQ(code, 1234u);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, HostProcessesEnd,
    ::testing::Values(EndCase{"Success", "MORVANE_STANDIN_EXIT", "0", 0},
                      EndCase{"Failure", "MORVANE_STANDIN_EXIT", "3", 3},
                      EndCase{"HighestStatus", "MORVANE_STANDIN_EXIT", "255", 255},
                      EndCase{"Terminated", "MORVANE_STANDIN_SIGNAL", "15", kSignalExitCode},
                      EndCase{"Killed", "MORVANE_STANDIN_SIGNAL", "9", kSignalExitCode},
                      EndCase{"Aborted", "MORVANE_STANDIN_SIGNAL", "6", kSignalExitCode}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

TEST_F(HostProcessesTest, AProgramThatCannotBeStartedFailsWithItsNumberAndDescription) {
    const auto notRunnable = tmp / "not-runnable";
    testing::writeBytes(notRunnable / "vb6", "#!/bin/sh\n");
    ::chmod((notRunnable / "vb6").c_str(), 0644);
    std::filesystem::create_directories(tmp / "folder-named-vb6" / "vb6");

    HostProcesses hp;
    for (const auto& [what, folder, line, number, description] :
         std::vector<std::tuple<const char*, std::filesystem::path, std::string, int, const char*>>{
             {"nothing on PATH", tmp / "empty", "vb6 /m x", 53, "No se encontró el archivo"},
             {"a folder of that name", tmp / "folder-named-vb6", "vb6 /m x", 53,
              "No se encontró el archivo"},
             {"a file that may not be run", notRunnable, "vb6 /m x", 70, "Permiso denegado"},
             {"no program at all", tmp / "empty", "   ", 5,
              "Llamada a procedimiento o argumento no válidos"},
         }) {
        std::filesystem::create_directories(folder);
        testing::ScopedEnv env;
        env.set("PATH", folder.string());
        try {
            hp.Shell(line, 6);
            ADD_FAILURE() << what << ": started";
        } catch (const Failure& f) {
            EXPECT_EQ(f.number(), number) << what;
            EXPECT_EQ(f.description(), description) << what;
        }
    }
    EXPECT_TRUE(standIn.starts().empty());
}

TEST_F(HostProcessesTest, OpenProcessGivesNoHandleForAProcessThatDoesNotExist) {
    HostProcesses hp;
    EXPECT_EQ(hp.OpenProcess(kProcessQueryInformation, false, 0), 0);

    // A child of the test itself, ended and reaped: its identifier is free.
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    int status = 0;
    ASSERT_EQ(::waitpid(gone, &status, 0), gone);
    EXPECT_EQ(hp.OpenProcess(kProcessQueryInformation, false, static_cast<std::uint32_t>(gone)), 0);

    // A process that exists but was not started here reads as running.
    const ProcessHandle parent =
        hp.OpenProcess(kProcessQueryInformation, false, static_cast<std::uint32_t>(::getppid()));
    ASSERT_NE(parent, 0);
    std::uint32_t code = 0;
    EXPECT_TRUE(hp.GetExitCodeProcess(parent, code));
    EXPECT_EQ(code, kStillActive);
    EXPECT_TRUE(hp.CloseHandle(parent));
}

TEST_F(HostProcessesTest, AChildThatEndsWithoutAHandleIsReapedByTheNextStart) {
    HostProcesses hp;
    const pid_t first = static_cast<pid_t>(hp.Shell("vb6 /m a", 6));
    release(standIn);
    testing::awaitEnd(first);
    EXPECT_FALSE(testing::isReaped(first));  // a zombie until the services look again
    std::filesystem::remove(standIn.releaseFile());

    const pid_t second = static_cast<pid_t>(hp.Shell("vb6 /m b", 6));
    EXPECT_TRUE(testing::isReaped(first));
    release(standIn);
    testing::awaitEnd(second);
    int status = 0;
    ::waitpid(second, &status, 0);
}

TEST_F(HostProcessesTest, AStartedProgramRunsOnWhenTheServicesGo) {
    pid_t pid = 0;
    {
        HostProcesses hp;
        pid = static_cast<pid_t>(hp.Shell("vb6 /m x", 6));
        ASSERT_NE(hp.OpenProcess(kProcessQueryInformation, false, pid), 0);
    }
    EXPECT_TRUE(testing::isAlive(pid));
    release(standIn);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
}

TEST(HostProcessesSleep, WaitsAtLeastTheTimeAsked) {
    HostProcesses hp;
    const auto start = std::chrono::steady_clock::now();
    hp.Sleep(30);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

}  // namespace
}  // namespace morvane

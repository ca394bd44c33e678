// The contract of the process services, the same on every host: a command
// line starts its program with the arguments the platform's C runtime gives
// it, the handle reads 259 while it runs and its exit code after, and the
// program runs on when the services that started it are gone.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "contract/host_folder.h"
#include "platform/failure.h"

namespace morvane::testing {
namespace {

using namespace std::chrono_literals;

class Processes : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { prependToPath(childFolder()); }

    TempFolder folder;
    std::unique_ptr<HostProcesses> processes = std::make_unique<HostProcesses>();

    std::filesystem::path record() const { return folder / "record.txt"; }
    // A command line of the child: wait, then record the arguments and exit.
    std::string child(int millis, int exitCode, const std::string& args = "") const {
        return "contract_child " + utf8(record()) + " " + std::to_string(millis) + " " +
               std::to_string(exitCode) + (args.empty() ? "" : " " + args);
    }
    // The exit code once the process has ended, polled as the builder polls.
    std::uint32_t waitForExit(ProcessHandle handle) {
        std::uint32_t code = 0;
        for (int i = 0; i < 3000; ++i) {
            EXPECT_TRUE(processes->GetExitCodeProcess(handle, code));
            if (code != kStillActive) return code;
            processes->Sleep(10);
        }
        ADD_FAILURE() << "the child did not end";
        return code;
    }
    std::vector<std::string> recorded() const {
        std::ifstream in(record(), std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    int failureStarting(const std::string& commandLine) {
        return failureOf([&] { processes->Shell(commandLine, 1); });
    }
};

TEST_F(Processes, TheProgramGetsTheArgumentsOfTheCommandLine) {
    const double id = processes->Shell(child(0, 7, R"(uno "dos tres" cuatro\"cinco "" seis)"), 1);
    ASSERT_GT(id, 0);
    const ProcessHandle handle =
        processes->OpenProcess(kProcessQueryInformation, false, static_cast<std::uint32_t>(id));
    ASSERT_NE(handle, 0);
    EXPECT_EQ(waitForExit(handle), 7u);
    EXPECT_TRUE(processes->CloseHandle(handle));
    EXPECT_EQ(recorded(),
              (std::vector<std::string>{"uno", "dos tres", "cuatro\"cinco", "", "seis"}));
}

TEST_F(Processes, AHandleReadsStillActiveWhileTheProgramRuns) {
    const double id = processes->Shell(child(1500, 3), 1);
    const ProcessHandle handle =
        processes->OpenProcess(kProcessQueryInformation, false, static_cast<std::uint32_t>(id));
    ASSERT_NE(handle, 0);
    std::uint32_t code = 0;
    ASSERT_TRUE(processes->GetExitCodeProcess(handle, code));
    EXPECT_EQ(code, kStillActive);
    EXPECT_EQ(waitForExit(handle), 3u);
    // The end stays readable through the same handle.
    ASSERT_TRUE(processes->GetExitCodeProcess(handle, code));
    EXPECT_EQ(code, 3u);
    EXPECT_TRUE(processes->CloseHandle(handle));
}

TEST_F(Processes, AProgramThatEndedAtOnceCanStillBeOpened) {
    const double id = processes->Shell(child(0, 0), 1);
    std::this_thread::sleep_for(500ms);
    const ProcessHandle handle =
        processes->OpenProcess(kProcessQueryInformation, false, static_cast<std::uint32_t>(id));
    ASSERT_NE(handle, 0);
    EXPECT_EQ(waitForExit(handle), 0u);
    EXPECT_TRUE(processes->CloseHandle(handle));
}

TEST_F(Processes, AClosedHandleIsNoLongerOpen) {
    const double id = processes->Shell(child(0, 0), 1);
    const ProcessHandle handle =
        processes->OpenProcess(kProcessQueryInformation, false, static_cast<std::uint32_t>(id));
    waitForExit(handle);
    EXPECT_TRUE(processes->CloseHandle(handle));
    EXPECT_FALSE(processes->CloseHandle(handle));
    std::uint32_t code = 12345;
    EXPECT_FALSE(processes->GetExitCodeProcess(handle, code));
    EXPECT_EQ(code, 12345u);
}

TEST_F(Processes, TheProgramRunsOnWhenTheServicesAreGone) {
    const double id = processes->Shell(child(1500, 0, "terminado"), 1);
    const ProcessHandle handle =
        processes->OpenProcess(kProcessQueryInformation, false, static_cast<std::uint32_t>(id));
    ASSERT_NE(handle, 0);
    processes.reset();
    EXPECT_TRUE(recorded().empty());
    for (int i = 0; i < 1000 && recorded().empty(); ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(recorded(), std::vector<std::string>{"terminado"});
}

TEST_F(Processes, AProgramGivenWithItsFolderIsStarted) {
    const std::string program = utf8(childFolder() / "contract_child");
    const double id = processes->Shell("\"" + program + "\" " + utf8(record()) + " 0 5 hecho", 1);
    const ProcessHandle handle =
        processes->OpenProcess(kProcessQueryInformation, false, static_cast<std::uint32_t>(id));
    EXPECT_EQ(waitForExit(handle), 5u);
    processes->CloseHandle(handle);
    EXPECT_EQ(recorded(), std::vector<std::string>{"hecho"});
}

struct StartCase {
    const char* label;
    std::string commandLine;
    int failure;
};

void PrintTo(const StartCase& c, std::ostream* os) {
    *os << c.label;
}

class ProcessStart : public Processes, public ::testing::WithParamInterface<StartCase> {};

TEST_P(ProcessStart, FailsWithTheNumberOfTheCondition) {
    EXPECT_EQ(failureStarting(GetParam().commandLine), GetParam().failure);
}

INSTANTIATE_TEST_SUITE_P(
    Contract, ProcessStart,
    ::testing::Values(StartCase{"ProgramNotFound", "morvane_no_such_program /m x.vbp",
                                err::kFileNotFound},
                      StartCase{"EmptyProgramName", "\"\" /m x.vbp", err::kFileNotFound},
                      StartCase{"BlankCommandLine", "  \t ", err::kInvalidCall}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace morvane::testing

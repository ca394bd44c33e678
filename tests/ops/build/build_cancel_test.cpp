// A press of CmdOK while a build waits cancels: the nested call writes "El
// proceso fue Cancelado" and ends the program. The run happens in a child
// process of the test, whose end of the program is a real one, so that what
// outlives it can be seen from outside: the compiler it started runs on, and
// no later project was started.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/host_components.h"
#include "platform/host_files.h"
#include "platform/processes/host_processes.h"
#include "run/controller.h"
#include "stand_in.h"
#include "support/scripted_window.h"
#include "support/temp_drive.h"

namespace morvane {
namespace {

constexpr int kEndedByCancel = 42;
constexpr int kRunReturned = 43;

// Ends the program for real, first writing what the window shows to a pipe.
class EndingToolkit : public testing::ScriptedToolkit {
  public:
    EndingToolkit(int reportFd, const testing::ScriptedForm& form) : fd_(reportFd), form_(form) {}
    [[noreturn]] void endProgram() override {
        const std::string report = form_.detalle + "\n" + form_.caption + "\n" +
                                   std::to_string(boxes.size()) + "\n" +
                                   std::to_string(doEventsCalls) + "\n";
        ssize_t written = ::write(fd_, report.data(), report.size());
        (void)written;
        ::_exit(kEndedByCancel);
    }

  private:
    int fd_;
    const testing::ScriptedForm& form_;
};

// Runs one build of two marked projects in a child process, pressing CmdOK
// again during the second pass of the first wait. Never returns.
[[noreturn]] void runAndCancel(int reportFd, testing::TempDrive& drive) {
    HostFileServices files{drive.drives()};
    HostComponents components{drive.drives()};
    HostProcesses processes;
    testing::ScriptedForm form;
    EndingToolkit toolkit{reportFd, form};
    Services sv{files, components, processes, toolkit, form};
    form.opcion = 2;
    form.add(R"(C:\Proyectos\Compras.vbp)", true);
    form.add(R"(C:\Proyectos\Ventas.vbp)", true);
    toolkit.onDoEvents = [&] {
        if (toolkit.doEventsCalls == 2) CmdOK_Click(sv);
    };
    try {
        CmdOK_Click(sv);
    } catch (...) {
    }
    ::_exit(kRunReturned);
}

std::string readAll(int fd) {
    std::string all;
    char buf[256];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) all.append(buf, static_cast<std::size_t>(n));
    return all;
}

TEST(BuilderCancel, APressDuringTheWaitEndsTheProgramAndTheCompilerRunsOn) {
    testing::TempFolder tmp;
    testing::TempDrive drive;
    testing::StandIn standIn{tmp.path()};
    standIn.set("MORVANE_STANDIN_FOREVER", "1");

    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t program = ::fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
        ::close(report[0]);
        runAndCancel(report[1], drive);
    }
    ::close(report[1]);
    const std::string shown = readAll(report[0]);
    ::close(report[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(program, &status, 0), program);

    // The program ended inside the nested call, in the second pass of the wait.
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kEndedByCancel);
    EXPECT_EQ(shown, "El proceso fue Cancelado\n&CANCELAR\n0\n2\n");

    // Only the first project was started; its compiler runs on by itself. It
    // writes its record by itself: give it the time to.
    for (int i = 0; i < 1000 && standIn.starts().empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const auto starts = standIn.starts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].args, (std::vector<std::string>{"/m", R"(C:\Proyectos\Compras.vbp)"}));
    const pid_t compiler = starts[0].pid;
    EXPECT_EQ(starts[0].sid, compiler);
    EXPECT_TRUE(testing::isAlive(compiler));

    ASSERT_EQ(::kill(compiler, SIGKILL), 0);
    // Its new parent reaps it; wait a little for that so nothing is left behind.
    for (int i = 0; i < 200 && testing::isAlive(compiler); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(testing::isAlive(compiler));
}

}  // namespace
}  // namespace morvane

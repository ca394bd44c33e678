// The compiler as the build run meets it at its worst: not installed, dying
// of a signal, never ending (and the user's cancel), the project folder
// removed while it waits, and project paths full of shell characters. Each
// build run is a whole CmdOK_Click in a child process with the stand-in
// compiler first on PATH.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "child_run.h"
#include "project_set.h"
#include "run/controller.h"

namespace morvane::testing {
namespace {

namespace fs = std::filesystem;

const std::string kFinalizado = "Proceso Finalizado";
const std::string kCancelado = "El proceso fue Cancelado";

std::string description(int number) {
    return Failure(number).description();
}

// The processes the stand-in compiler started, from its log.
std::vector<pid_t> startedCompilers(const fs::path& log) {
    std::vector<pid_t> pids;
    std::ifstream in(log);
    std::string word;
    long pid;
    while (in >> word) {
        if (word == "start" && in >> pid) pids.push_back(static_cast<pid_t>(pid));
    }
    return pids;
}

bool stillRunning(pid_t pid) {
    return ::kill(pid, 0) == 0;
}

struct BuildRun {
    TempFolder drive;
    ProjectSet set{drive / "Proyectos", "Proyectos"};
    fs::path log = drive / "compilador.log";
    ChildRunSpec plan;

    // `path` is the PATH the run sees; `environment` tells the stand-in how to end.
    BuildRun(std::string path, std::vector<std::pair<std::string, std::string>> environment) {
        set.add("Compras.vbp", "Type=Exe\r\nName=\"Compras\"\r\n");
        set.add("Ventas.vbp", "Type=Exe\r\nName=\"Ventas\"\r\n");
        plan.folder = drive.path().string();
        plan.answers = Answers::RetryThenIgnore;
        plan.form.opcion = 2;
        plan.form.dir = "C:\\Proyectos";
        set.listAll(plan.form);
        environment.emplace_back("MORVANE_STANDIN_LOG", log.string());
        plan.beforeRun = [path, environment] {
            ::setenv("PATH", path.c_str(), 1);
            for (const auto& [name, value] : environment) ::setenv(name.c_str(), value.c_str(), 1);
        };
    }

    void expectProjectsUntouched() const {
        for (const auto& [name, content] : set.originals())
            EXPECT_EQ(set.bytesOf(name), content) << name;
    }
};

const std::string kStandInFolder = MORVANE_STAND_IN_DIR;

TEST(CompilerFaults, AMissingCompilerIsAFailureBoxPerProject) {
    TempFolder empty;
    BuildRun b(empty.path().string(), {});

    const ChildResult r = runChild(b.plan);

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_TRUE(r.showed(description(err::kFileNotFound))) << r.describe();
    EXPECT_TRUE(r.showed(kFinalizado)) << r.describe();
    b.expectProjectsUntouched();
}

class CompilerKilled : public ::testing::TestWithParam<int> {};

TEST_P(CompilerKilled, BySignalEndsItsWaitAndTheRunGoesOn) {
    BuildRun b(kStandInFolder, {{"MORVANE_STANDIN_SIGNAL", std::to_string(GetParam())}});

    const ChildResult r = runChild(b.plan);

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_TRUE(r.showed(kFinalizado)) << r.describe();
    // Each marked project got its own compiler, one after the other.
    EXPECT_EQ(startedCompilers(b.log).size(), 2u);
    b.expectProjectsUntouched();
}

INSTANTIATE_TEST_SUITE_P(Signals, CompilerKilled, ::testing::Values(SIGKILL, SIGSEGV, SIGTERM),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

TEST(CompilerFaults, ACompilerThatNeverEndsIsLeftRunningByTheCancel) {
    BuildRun b(kStandInFolder, {{"MORVANE_STANDIN_FOREVER", "1"}});
    // After a few passes of the wait the user presses the button, which now
    // reads "&CANCELAR".
    int passes = 0;
    b.plan.onDoEvents = [&passes](ScriptedForm&, Services& sv) {
        if (++passes == 5) CmdOK_Click(sv);
    };

    const ChildResult r = runChild(b.plan);

    ASSERT_TRUE(r.exited) << r.describe();
    EXPECT_EQ(r.exitCode, 10) << "the program was not ended: " << r.describe();
    EXPECT_EQ(r.detalle, kCancelado);
    const auto pids = startedCompilers(b.log);
    ASSERT_EQ(pids.size(), 1u);
    // The compiler runs on by itself after the program has ended.
    EXPECT_TRUE(stillRunning(pids[0]));
    ::kill(pids[0], SIGKILL);
    b.expectProjectsUntouched();
}

TEST(CompilerFaults, TheProjectFolderRemovedDuringTheWaitEndsInAnOrdinaryRun) {
    BuildRun b(kStandInFolder, {{"MORVANE_STANDIN_WAIT_MS", "300"}});
    const fs::path folder = b.set.folder();
    bool removed = false;
    b.plan.onDoEvents = [folder, &removed](ScriptedForm&, Services&) {
        if (!removed) fs::remove_all(folder);
        removed = true;
    };

    const ChildResult r = runChild(b.plan);

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_TRUE(r.showed(kFinalizado)) << r.describe();
    EXPECT_FALSE(fs::exists(folder));
}

TEST(CompilerFaults, ShellCharactersInAProjectPathRunNoCommand) {
    BuildRun b(kStandInFolder, {});
    const fs::path cwd = fs::current_path();
    for (const std::string name :
         {"a;touch PWNED;b.vbp", "$(touch PWNED).vbp", "`touch PWNED`.vbp", "x|touch PWNED.vbp",
          "x&&touch PWNED.vbp", "*.vbp", "x>PWNED.vbp"}) {
        b.set.add(name, "Type=Exe\r\n");
        b.plan.form.add(b.set.programPath(name), true);
    }

    const ChildResult r = runChild(b.plan);

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_EQ(startedCompilers(b.log).size(), b.plan.form.list.size());
    // No shell ever saw the command line: nothing named PWNED appeared.
    for (const auto& where : {cwd, b.drive.path(), b.set.folder(), fs::path("/tmp")})
        EXPECT_FALSE(fs::exists(where / "PWNED")) << where;
    b.expectProjectsUntouched();
}

}  // namespace
}  // namespace morvane::testing

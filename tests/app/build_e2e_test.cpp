// Building through the real window, offscreen, with the stand-in compiler
// first on PATH: the build option chosen, entries checked, CmdOK pressed. What
// the user does while a build waits (checking entries, choosing another
// option, typing, pressing CmdOK) is done to the widgets from inside the
// wait's event processing, by a timer that fires there.
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app_fixture.h"

#define MORVANE_STAND_IN_DIR MORVANE_STANDIN_BIN
#include "ops/build/stand_in.h"

namespace morvane::testing {
namespace {

// Runs `step` at every processing of events until it answers true.
class DuringWait {
  public:
    explicit DuringWait(std::function<bool()> step) : step_(std::move(step)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (step_()) timer_.stop();
        });
        timer_.start(0);
    }

  private:
    std::function<bool()> step_;
    QTimer timer_;
};

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class BuildE2E : public AppFixture {
  protected:
    // Each compiler waits for a release file of its own, named when it starts.
    void waitFor(const std::string& name) {
        standIn.set("MORVANE_STANDIN_WAIT_FOR", (tmp / name).string());
    }
    void release(const std::string& name) { writeBytes(tmp / name, "\n"); }

    TempFolder tmp;
    StandIn standIn{tmp.path()};
};

TEST_F(BuildE2E, BuildsTheCheckedProjectsInListOrder) {
    file("Proyectos Viejos/Ventas.vbp", "Type=Exe\r\n");
    file("Proyectos Viejos/Compras.vbp", "Type=Exe\r\n");
    file("Proyectos Viejos/Stock.vbp", "Type=Exe\r\n");
    openFolder("C:\\Proyectos Viejos");
    mark("Ventas.vbp");
    mark("Compras.vbp");
    chooseOption(2);
    release("release");  // every compiler ends at once
    waitFor("release");

    pressOk();

    // The path's space splits it into two arguments, as on the target platform.
    const auto starts = standIn.starts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].args,
              (std::vector<std::string>{"/m", "C:\\Proyectos", "Viejos\\Compras.vbp"}));
    EXPECT_EQ(starts[1].args,
              (std::vector<std::string>{"/m", "C:\\Proyectos", "Viejos\\Ventas.vbp"}));
    EXPECT_EQ(detalle(), "C:\\Proyectos Viejos\\Ventas.vbp Finalizado ");
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Proceso Finalizado"});
    EXPECT_EQ(caption(), "&OK");
    for (const auto& s : starts) EXPECT_TRUE(isReaped(s.pid)) << s.pid;
}

TEST_F(BuildE2E, ChecksAndTheOptionChangedDuringTheWaitCountWhereTheWalkNextReadsThem) {
    file("Proyectos/A.vbp", "Name=\"Compras\"\r\n");
    file("Proyectos/B.vbp", "Name=\"Stock\"\r\n");
    file("Proyectos/C.vbp", "Name=\"VENTAS\"\r\n");
    file("Proyectos/D.vbp", "Name=\"Compras\"\r\n");
    openFolder("C:\\Proyectos");
    mark("A.vbp");
    mark("C.vbp");
    mark("D.vbp");
    chooseOption(2);
    typeBuscar("Ventas");
    waitFor("release-a");

    int stage = 0;
    DuringWait user([&] {
        if (stage == 0 && endsWith(detalle(), "A.vbp")) {
            // While A builds: check B, clear C, type another search text.
            mark("B.vbp");
            mark("C.vbp", false);
            typeBuscar("Compras");
            waitFor("release-b");
            release("release-a");
            stage = 1;
        } else if (stage == 1 && endsWith(detalle(), "B.vbp")) {
            // While B builds: choose the search.
            chooseOption(3);
            release("release-b");
            stage = 2;
        }
        return stage == 2;
    });
    pressOk();

    std::vector<std::vector<std::string>> lines;
    for (const auto& s : standIn.starts()) lines.push_back(s.args);
    EXPECT_EQ(lines, (std::vector<std::vector<std::string>>{{"/m", "C:\\Proyectos\\A.vbp"},
                                                            {"/m", "C:\\Proyectos\\B.vbp"}}));
    // A was only built; B, C and D were searched for the text of the start, "Ventas".
    EXPECT_EQ(marks(), (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Proceso Finalizado"});
    EXPECT_EQ(caption(), "&OK");
}

TEST_F(BuildE2E, AFolderOpenedDuringTheWaitGivesTheWalkItsNewList) {
    file("Proyectos/Compras.vbp", "Type=Exe\r\n");
    file("Proyectos/Ventas.vbp", "Type=Exe\r\n");
    file("Otros/Banco.vbp", "Type=Exe\r\n");
    file("Otros/Caja.vbp", "Type=Exe\r\n");
    openFolder("C:\\Proyectos");
    markAll();
    chooseOption(2);
    waitFor("release-compras");

    bool done = false;
    DuringWait user([&] {
        if (!done && endsWith(detalle(), "Compras.vbp")) {
            openFolder("C:\\Otros");  // Dir1_Change refills List1, all unchecked
            mark("Caja.vbp");
            release("release-compras");
            done = true;
        }
        return done;
    });
    pressOk();

    std::vector<std::vector<std::string>> lines;
    for (const auto& s : standIn.starts()) lines.push_back(s.args);
    // The walk goes on at index 1, which is now Caja.
    EXPECT_EQ(lines, (std::vector<std::vector<std::string>>{{"/m", "C:\\Proyectos\\Compras.vbp"},
                                                            {"/m", "C:\\Otros\\Caja.vbp"}}));
    EXPECT_EQ(entries(), (std::vector<std::string>{"C:\\Otros\\Banco.vbp", "C:\\Otros\\Caja.vbp"}));
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Proceso Finalizado"});
}

// The folder shared by the test and the child that it re-runs for the death
// test: the child finds it in the environment.
std::filesystem::path sharedFolder(std::optional<TempFolder>& owner) {
    if (const char* p = std::getenv("MORVANE_BUILD_E2E_SHARED")) return p;
    owner.emplace();
    ::setenv("MORVANE_BUILD_E2E_SHARED", owner->path().c_str(), 1);
    return owner->path();
}

TEST_F(BuildE2E, APressOfCmdOkDuringTheWaitEndsTheProgramAndTheCompilerRunsOn) {
    std::optional<TempFolder> owner;
    const std::filesystem::path shared = sharedFolder(owner);
    // The child's own temporary folders go inside the shared one, which this
    // test removes: the child ends without removing anything.
    ScopedEnv tmpdir;
    if (owner) tmpdir.set("TMPDIR", shared.string());
    StandIn compiler{shared};
    compiler.set("MORVANE_STANDIN_FOREVER", "1");
    file("Proyectos/Compras.vbp", "Type=Exe\r\n");
    file("Proyectos/Ventas.vbp", "Type=Exe\r\n");
    openFolder("C:\\Proyectos");
    markAll();
    chooseOption(2);

    EXPECT_EXIT(
        {
            DuringWait user([&] {
                QTest::mouseClick(form->CmdOK, Qt::LeftButton);
                return true;
            });
            pressOk();
        },
        ::testing::ExitedWithCode(0), "lblDetalle: El proceso fue Cancelado");
    ::unsetenv("MORVANE_BUILD_E2E_SHARED");

    // The program ended in the first wait: Ventas was never started, and the
    // compiler of Compras runs on in a session of its own.
    // The compiler writes its record by itself; give it the time to.
    ASSERT_TRUE(waitUntil([&] { return !compiler.starts().empty(); }, 10000));
    const auto starts = compiler.starts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].args, (std::vector<std::string>{"/m", "C:\\Proyectos\\Compras.vbp"}));
    EXPECT_EQ(starts[0].sid, starts[0].pid);
    EXPECT_TRUE(isAlive(starts[0].pid));
    ::kill(starts[0].pid, SIGKILL);
}

}  // namespace
}  // namespace morvane::testing

// The builder inside real runs: a press of CmdOK with the build option chosen
// starts the stand-in compiler for each marked entry and waits for it, one
// pass at a time (exit code read, events processed, 100 ms pause, spinner
// caption), with the spinner continuing across the projects of a run.
#include "ops/build.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
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

using testing::Box;

const std::string kVentas = R"(C:\Proyectos\Ventas.vbp)";
const std::string kCompras = R"(C:\Proyectos\Compras.vbp)";
const std::string kStock = R"(C:\Proyectos\Stock.vbp)";
const Box kFinalizadoBox{"Proceso Finalizado", mb::kOkQuestion, std::string()};
const Box kNoEncontradoBox{"No se encontró el archivo", mb::kAbortRetryIgnoreCritical,
                           std::nullopt};

// A scripted window whose failure boxes can act before they are answered.
class HookedToolkit : public testing::ScriptedToolkit {
  public:
    std::function<void()> onBox;
    int msgBox(const std::string& text, int style,
               const std::optional<std::string>& title) override {
        if (onBox) onBox();
        return ScriptedToolkit::msgBox(text, style, title);
    }
};

class Builder : public ::testing::Test {
  protected:
    Builder() {
        form.opcion = 2;
        toolkit.onDoEvents = [this] {
            processes.trace.push_back("events " + form.detalle);
            if (duringWait) duringWait();
        };
    }

    void press() { CmdOK_Click(sv); }

    // The spinner frames that the waiting captions of `path` showed, in order.
    std::vector<std::string> frames(const std::string& path) const {
        const std::string tail = " Generando Ejecutable: " + path;
        std::vector<std::string> result;
        for (const auto& c : form.detalleHistory) {
            if (c.size() > tail.size() &&
                c.compare(c.size() - tail.size(), tail.size(), tail) == 0) {
                result.push_back(c.substr(0, c.size() - tail.size()));
            }
        }
        return result;
    }
    // The captions of a project that ends without any pass of the wait.
    static std::vector<std::string> withoutHandle(const std::string& path) {
        return {"Generando Ejecutable de: " + path, "Error al Generar el : " + path,
                path + " Finalizado "};
    }
    long count(const std::string& entry) const {
        return std::count(processes.trace.begin(), processes.trace.end(), entry);
    }
    std::vector<std::vector<std::string>> commandLines() const {
        std::vector<std::vector<std::string>> lines;
        for (const auto& s : standIn.starts()) lines.push_back(s.args);
        return lines;
    }

    testing::TempDrive drive;
    testing::TempFolder tmp;
    testing::StandIn standIn{tmp.path()};
    HostFileServices files{drive.drives()};
    HostComponents components{drive.drives()};
    testing::WatchedProcesses processes{standIn};
    HookedToolkit toolkit;
    testing::ScriptedForm form;
    Services sv{files, components, processes, toolkit, form};
    std::function<void()> duringWait;
};

TEST_F(Builder, ACompilerThatHasAlreadyEndedGetsOneFullPass) {
    form.add(kVentas, true);
    processes.endAtRead = {1};
    press();

    EXPECT_EQ(form.detalleHistory,
              (std::vector<std::string>{"Generando Ejecutable de: " + kVentas,
                                        "\u00B7 Generando Ejecutable: " + kVentas,
                                        kVentas + " Finalizado "}));
    // The waiting caption is not repainted: the next event processing paints it.
    EXPECT_EQ(form.repainted, (std::vector<std::string>{"Generando Ejecutable de: " + kVentas,
                                                        kVentas + " Finalizado "}));
    // One pass: exit code read, events, pause; then the handle goes.
    EXPECT_EQ(processes.trace,
              (std::vector<std::string>{"start style 6", "open access 0x400", "read 0",
                                        "events Generando Ejecutable de: " + kVentas, "sleep 100",
                                        "close"}));
    EXPECT_EQ(commandLines(), (std::vector<std::vector<std::string>>{{"/m", kVentas}}));
    ASSERT_EQ(processes.started.size(), 1u);
    EXPECT_TRUE(testing::isReaped(processes.started[0]));
    EXPECT_EQ(toolkit.boxes, std::vector<Box>{kFinalizadoBox});
    EXPECT_EQ(form.caption, "&OK");
}

TEST_F(Builder, TheSpinnerGoesOnAcrossTheProjectsOfARunAndStartsAgainInTheNext) {
    form.add(kCompras, true);
    form.add(kStock, false);
    form.add(kVentas, true);
    processes.endAtRead = {8, 3};
    press();

    EXPECT_EQ(frames(kCompras), (std::vector<std::string>{"\u00B7", "\u00B0", "o", "O", "0", "@",
                                                          "\u00B7", "\u00B0"}));
    EXPECT_EQ(frames(kVentas), (std::vector<std::string>{"o", "O", "0"}));
    EXPECT_TRUE(frames(kStock).empty());
    EXPECT_EQ(processes.sleeps, std::vector<std::uint32_t>(11, 100));
    EXPECT_EQ(count("read 259"), 9);
    EXPECT_EQ(count("read 0"), 2);
    EXPECT_EQ(count("close"), 2);
    // Each pass's event processing paints the caption of the pass before.
    const std::vector<std::string> painted{"events Generando Ejecutable de: " + kVentas,
                                           "events o Generando Ejecutable: " + kVentas,
                                           "events O Generando Ejecutable: " + kVentas};
    std::vector<std::string> events;
    std::copy_if(processes.trace.begin(), processes.trace.end(), std::back_inserter(events),
                 [](const std::string& t) { return t.rfind("events ", 0) == 0; });
    EXPECT_EQ(std::vector<std::string>(events.end() - 3, events.end()), painted);
    EXPECT_EQ(commandLines(),
              (std::vector<std::vector<std::string>>{{"/m", kCompras}, {"/m", kVentas}}));
    for (pid_t pid : processes.started) EXPECT_TRUE(testing::isReaped(pid)) << pid;

    form.detalleHistory.clear();
    processes.endAtRead = {2, 1};
    press();
    EXPECT_EQ(frames(kCompras), (std::vector<std::string>{"\u00B7", "\u00B0"}));
    EXPECT_EQ(frames(kVentas), (std::vector<std::string>{"o"}));
}

struct EndCase {
    const char* name;
    const char* variable;
    const char* value;
    std::uint32_t code;
};

class BuilderEnd : public Builder, public ::testing::WithParamInterface<EndCase> {};

TEST_P(BuilderEnd, AnyEndOfTheCompilerGivesTheFinishedCaption) {
    standIn.set(GetParam().variable, GetParam().value);
    form.add(kVentas, true);
    processes.endAtRead = {2};
    press();

    EXPECT_EQ(frames(kVentas), (std::vector<std::string>{"\u00B7", "\u00B0"}));
    EXPECT_EQ(form.detalle, kVentas + " Finalizado ");
    EXPECT_EQ(form.repainted.back(), kVentas + " Finalizado ");
    EXPECT_EQ(count("read 259"), 1);
    EXPECT_EQ(count("read " + std::to_string(GetParam().code)), 1);
    EXPECT_EQ(processes.trace.back(), "close");
    EXPECT_TRUE(testing::isReaped(processes.started.at(0)));
    EXPECT_EQ(toolkit.boxes, std::vector<Box>{kFinalizadoBox});
}

INSTANTIATE_TEST_SUITE_P(
    Ends, BuilderEnd,
    ::testing::Values(EndCase{"Success", "MORVANE_STANDIN_EXIT", "0", 0},
                      EndCase{"NonzeroExit", "MORVANE_STANDIN_EXIT", "2", 2},
                      EndCase{"Terminated", "MORVANE_STANDIN_SIGNAL", "15", kSignalExitCode},
                      EndCase{"Killed", "MORVANE_STANDIN_SIGNAL", "9", kSignalExitCode}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

TEST_F(Builder, ThePathReachesTheCompilerUnquotedAndSplitAtItsSpaces) {
    const std::string viejos = R"(C:\Proyectos Viejos\Ventas Norte.vbp)";
    const std::string raro = R"(C:\Proyectos\$(touch x);y|z&'w'*.vbp)";
    form.add(viejos, true);
    form.add(raro, true);
    processes.endAtRead = {1, 1};
    press();

    EXPECT_EQ(commandLines(), (std::vector<std::vector<std::string>>{
                                  {"/m", R"(C:\Proyectos)", "Viejos\\Ventas", "Norte.vbp"},
                                  {"/m", R"(C:\Proyectos\$(touch)", R"(x);y|z&'w'*.vbp)"}}));
    // The captions keep the whole path as it is.
    EXPECT_EQ(form.detalleHistory.front(), "Generando Ejecutable de: " + viejos);
    EXPECT_EQ(form.detalle, raro + " Finalizado ");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / "x"));
}

TEST_F(Builder, AMissingCompilerFailsTheStartOnceForEveryRetry) {
    standIn.hideCompiler(tmp / "empty");
    form.add(kCompras, true);
    form.add(kVentas, true);
    toolkit.answers = {mb::kRetry, mb::kRetry, mb::kIgnore, mb::kAbort};
    press();

    EXPECT_EQ(toolkit.boxes, (std::vector<Box>{kNoEncontradoBox, kNoEncontradoBox, kNoEncontradoBox,
                                               kNoEncontradoBox, kFinalizadoBox}));
    // Passed over, the start leaves no handle: the error caption, then the finished one.
    std::vector<std::string> expected = withoutHandle(kCompras);
    for (const auto& c : withoutHandle(kVentas)) expected.push_back(c);
    EXPECT_EQ(form.detalleHistory, expected);
    EXPECT_EQ(form.repainted, expected);
    EXPECT_TRUE(processes.trace.empty());
    EXPECT_TRUE(standIn.starts().empty());
    EXPECT_EQ(form.caption, "&OK");
}

TEST_F(Builder, RetryStartsTheCompilerOnceItCanBeFound) {
    standIn.hideCompiler(tmp / "empty");
    toolkit.onBox = [this] { standIn.showCompiler(); };
    toolkit.answers = {mb::kRetry};
    form.add(kVentas, true);
    processes.endAtRead = {1};
    press();

    EXPECT_EQ(toolkit.boxes, (std::vector<Box>{kNoEncontradoBox, kFinalizadoBox}));
    EXPECT_EQ(commandLines(), (std::vector<std::vector<std::string>>{{"/m", kVentas}}));
    EXPECT_EQ(frames(kVentas), std::vector<std::string>{"\u00B7"});
    EXPECT_EQ(form.detalle, kVentas + " Finalizado ");
}

TEST_F(Builder, AFailedStartPassedOverAfterABuildFindsNoHandleOfBefore) {
    form.add(kCompras, true);
    form.add(kStock, true);
    form.add(kVentas, true);
    processes.endAtRead = {2, 1};
    // The compiler goes away while the first project waits, and is back once
    // the failure of the second has been answered.
    duringWait = [this] {
        if (toolkit.doEventsCalls == 1) standIn.hideCompiler(tmp / "empty");
    };
    toolkit.onBox = [this] { standIn.showCompiler(); };
    toolkit.answers = {mb::kIgnore};
    press();

    EXPECT_EQ(frames(kCompras), (std::vector<std::string>{"\u00B7", "\u00B0"}));
    EXPECT_TRUE(frames(kStock).empty());
    const auto& h = form.detalleHistory;
    const auto stock = withoutHandle(kStock);
    EXPECT_TRUE(std::search(h.begin(), h.end(), stock.begin(), stock.end()) != h.end());
    // The spinner did not move for the project that was not started.
    EXPECT_EQ(frames(kVentas), std::vector<std::string>{"o"});
    // The handle of the first project was read only during its own wait.
    EXPECT_EQ(count("read 259") + count("read 0"), 3);
    EXPECT_EQ(count("close"), 2);
    EXPECT_EQ(toolkit.boxes, (std::vector<Box>{kNoEncontradoBox, kFinalizadoBox}));
    EXPECT_EQ(commandLines(),
              (std::vector<std::vector<std::string>>{{"/m", kCompras}, {"/m", kVentas}}));
}

TEST_F(Builder, AZeroHandlePaintsTheErrorCaptionThenTheFinishedOne) {
    form.add(kCompras, true);
    form.add(kVentas, true);
    processes.refuseOpen = {1};
    processes.endAtRead = {0, 1};
    press();

    const auto compras = withoutHandle(kCompras);
    EXPECT_TRUE(std::equal(compras.begin(), compras.end(), form.detalleHistory.begin()));
    EXPECT_TRUE(std::equal(compras.begin(), compras.end(), form.repainted.begin()));
    EXPECT_TRUE(frames(kCompras).empty());
    // Nothing is reported, and the spinner state is unchanged for the next project.
    EXPECT_EQ(toolkit.boxes, std::vector<Box>{kFinalizadoBox});
    EXPECT_EQ(frames(kVentas), std::vector<std::string>{"\u00B7"});
    EXPECT_EQ(processes.trace.at(1), "open refused");
    EXPECT_EQ(commandLines(),
              (std::vector<std::vector<std::string>>{{"/m", kCompras}, {"/m", kVentas}}));
    // The compiler that got no handle is reaped all the same.
    EXPECT_TRUE(testing::isReaped(processes.started.at(0)));
}

TEST_F(Builder, MarksAndTheOptionChangedDuringTheWaitCountWhereTheWalkNextReadsThem) {
    const std::string a = R"(C:\Proyectos\A.vbp)", b = R"(C:\Proyectos\B.vbp)",
                      c = R"(C:\Proyectos\C.vbp)", d = R"(C:\Proyectos\D.vbp)";
    testing::writeBytes(drive.host("Proyectos/A.vbp"), "Name=\"Compras\"\r\n");
    testing::writeBytes(drive.host("Proyectos/B.vbp"), "Name=\"Stock\"\r\n");
    testing::writeBytes(drive.host("Proyectos/C.vbp"), "Name=\"VENTAS\"\r\n");
    testing::writeBytes(drive.host("Proyectos/D.vbp"), "Name=\"Compras\"\r\n");
    form.buscar = "Ventas";
    form.add(a, true);
    form.add(b, false);
    form.add(c, true);
    form.add(d, true);
    processes.endAtRead = {2, 2};
    int passes = 0;
    duringWait = [&] {
        ++passes;
        if (passes == 1) {  // first project's wait
            form.list[1].selected = true;
            form.list[2].selected = false;
            form.buscar = "Compras";  // the texts were taken at the start
        } else if (passes == 3) {     // second project's wait
            form.opcion = 3;
        }
    };
    press();

    // B was built; C, unmarked in time, was not; from B on, every entry is searched.
    EXPECT_EQ(commandLines(), (std::vector<std::vector<std::string>>{{"/m", a}, {"/m", b}}));
    // A keeps its mark (never searched); B, C and D get the search's answer for "Ventas".
    EXPECT_EQ(form.marks(), (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(toolkit.boxes, std::vector<Box>{kFinalizadoBox});
    EXPECT_EQ(form.caption, "&OK");
}

TEST_F(Builder, AFolderChangedDuringTheWaitGoesOnAtTheNextIndexOfTheNewList) {
    form.add(kCompras, true);
    form.add(kStock, true);
    form.add(kVentas, true);
    processes.endAtRead = {1, 1};
    const std::string otra = R"(C:\Otros\Caja.vbp)", nueva = R"(C:\Otros\Banco.vbp)";
    duringWait = [&] {
        if (toolkit.doEventsCalls != 1) return;
        // The list refilled from another folder, all unmarked; the user marks one.
        form.list = {{otra, false}, {nueva, true}, {kVentas, false}};
    };
    press();

    EXPECT_EQ(commandLines(),
              (std::vector<std::vector<std::string>>{{"/m", kCompras}, {"/m", nueva}}));
    EXPECT_EQ(toolkit.boxes, std::vector<Box>{kFinalizadoBox});
}

}  // namespace
}  // namespace morvane

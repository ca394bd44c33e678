// The batch run controller on real files: the caption toggle, every way a run
// ends with its message, the refusal and the confirmation word for word, the
// cancel that ends the program, the option buttons read at every decision,
// and a fresh run state for every press.
#include "run/controller.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "run_fixture.h"

namespace morvane {
namespace {

using testing::Box;
using testing::finalizadoBox;
using testing::RunFixture;

const std::string kNegativa = "SI NO ELEGIS LO QUE QUERES BUSCAR... COMO LO QUERES REEMPLAZAR... ";

Box negativaBox() {
    return {kNegativa, 32, std::string("ME HICISTE ENOJAR!!!")};
}

Box confirmacionBox(const std::string& buscar, const std::string& reemplazo) {
    return {"Atención se Buscará la Cadena: " + buscar +
                "  en el Archivo Seleccinado, y será Reemplazada por: " + reemplazo +
                " Esta USTED DE ACUERDO, ES SU RESPONSABILIDAD!!!!",
            36, std::string("Atención!!!")};
}

TEST(Controller, ConfirmationForVentasAndComprasReadsWordForWord) {
    EXPECT_EQ(confirmacionBox("Ventas", "Compras").text,
              "Atención se Buscará la Cadena: Ventas  en el Archivo Seleccinado, y será "
              "Reemplazada por: Compras Esta USTED DE ACUERDO, ES SU RESPONSABILIDAD!!!!");
}

TEST(Controller, CaptionReadsCancelarDuringTheRunAndOkAfterIt) {
    for (const std::string start : {"&OK", "&ok", "&Ok"}) {
        SCOPED_TRACE(start);
        RunFixture f;
        f.addProject("Ventas.vbp", "Name=\"Ventas\"\r\n");
        f.form.caption = start;
        f.form.opcion = 3;
        f.form.buscar = "ventas";
        std::vector<std::string> seen;
        f.form.onRead = [&](const std::string& what, int) {
            if (what == "mark" || what == "text") seen.push_back(f.form.caption);
        };
        f.toolkit.beforeAnswer = [&](const Box&) { seen.push_back(f.form.caption); };

        CmdOK_Click(f.sv);

        EXPECT_EQ(seen, (std::vector<std::string>{"&CANCELAR", "&CANCELAR", "&CANCELAR"}));
        EXPECT_EQ(f.form.caption, "&OK");
        EXPECT_EQ(f.toolkit.boxes, (std::vector<Box>{finalizadoBox()}));
        EXPECT_EQ(f.form.marks(), (std::vector<bool>{true}));
        // The status line is the operations' to write; the run leaves it alone.
        EXPECT_EQ(f.form.detalle, "...");
        EXPECT_FALSE(f.toolkit.ended);
    }
}

// Every way a run ends, except the group file's (its own operation's tests
// cover those) and the cancel (below).
struct Ending {
    const char* name;
    int opcion;
    std::string buscar;
    std::string reemplazar;
    std::vector<int> answers;
    std::vector<Box> boxes;
    bool walks;  // whether the list is read at all
};

void PrintTo(const Ending& c, std::ostream* os) {
    *os << c.name;
}

class RunEnding : public ::testing::TestWithParam<Ending> {};

TEST_P(RunEnding, ShowsItsMessageAndLeavesTheCaptionOk) {
    const Ending& c = GetParam();
    RunFixture f;
    const std::string bytes = "Type=Exe\r\nName=\"Ventas\"\r\n";
    f.addProject("Compras.vbp", bytes);
    f.addProject("Ventas.vbp", bytes);
    f.form.opcion = c.opcion;
    f.form.buscar = c.buscar;
    f.form.reemplazar = c.reemplazar;
    f.toolkit.answers.assign(c.answers.begin(), c.answers.end());

    CmdOK_Click(f.sv);

    EXPECT_EQ(f.toolkit.boxes, c.boxes);
    EXPECT_TRUE(f.toolkit.answers.empty());
    EXPECT_EQ(f.form.caption, "&OK");
    EXPECT_EQ(f.form.detalle, "...");
    EXPECT_EQ(f.form.reads["count"] > 0, c.walks);
    // No operation touched a file: nothing was marked for one.
    EXPECT_EQ(testing::readBytes(f.hostOf("Ventas.vbp")), bytes);
    EXPECT_EQ(testing::readBytes(f.hostOf("Compras.vbp")), bytes);
    EXPECT_FALSE(std::filesystem::exists(f.hostOf("Ventas.OLD")));
}

INSTANTIATE_TEST_SUITE_P(
    Controller, RunEnding,
    ::testing::Values(Ending{"SearchAfterTheWalk", 3, "ventas", "", {}, {finalizadoBox()}, true},
                      Ending{"SearchWithEmptyText", 3, "", "", {}, {finalizadoBox()}, true},
                      Ending{"BuildAfterTheWalk", 2, "", "", {}, {finalizadoBox()}, true},
                      Ending{"ReplaceEmptyText", 1, "", "x", {}, {negativaBox()}, false},
                      Ending{"ReplaceSpacesOnly", 1, "     ", "x", {}, {negativaBox()}, false},
                      Ending{"ReplaceAnsweredNo",
                             1,
                             "Ventas",
                             "Compras",
                             {mb::kNo},
                             {confirmacionBox("Ventas", "Compras")},
                             false},
                      Ending{"ReplaceAnsweredYesNothingMarked",
                             1,
                             "  Ventas ",
                             "   Compras  ",
                             {mb::kYes},
                             {confirmacionBox("Ventas", "Compras"), finalizadoBox()},
                             true},
                      // Only the space character is trimmed: a tab is part of the text.
                      Ending{"ReplaceTabIsNotTrimmed",
                             1,
                             "\t",
                             " \tCompras\t ",
                             {mb::kNo},
                             {confirmacionBox("\t", "\tCompras\t")},
                             false},
                      Ending{"ReplaceSpacesOnlyReplacementBecomesEmpty",
                             1,
                             " a b ",
                             "   ",
                             {mb::kYes},
                             {confirmacionBox("a b", ""), finalizadoBox()},
                             true},
                      Ending{"NoOptionSelected", -1, "x", "y", {}, {}, false}),
    [](const ::testing::TestParamInfo<Ending>& i) { return std::string(i.param.name); });

// The group file's two endings, through its real operation: a blank name
// ends the run at once through the early exit, a name gets the walk and
// "Proceso Finalizado".
TEST(Controller, GroupFileRunsEndAsTheOthers) {
    for (const std::string nombre : {"", "   ", "Sistema"}) {
        SCOPED_TRACE("name '" + nombre + "'");
        RunFixture f;
        f.addProject("Ventas.vbp", "Type=Exe\r\n", true);
        f.form.dir = "C:\\Proyectos";
        f.form.opcion = 0;
        f.toolkit.inputs = {nombre};

        CmdOK_Click(f.sv);

        const bool blank = nombre != "Sistema";
        EXPECT_EQ(f.toolkit.boxes, blank ? std::vector<Box>{} : std::vector<Box>{finalizadoBox()});
        EXPECT_EQ(f.form.reads["count"] > 0, !blank);
        EXPECT_EQ(std::filesystem::exists(f.hostOf("Sistema.vbG")), !blank);
        EXPECT_EQ(f.form.caption, "&OK");
        EXPECT_TRUE(f.toolkit.inputs.empty());
    }
}

// The box steps that end a run (9, 12, 15, 18, 21) are followed by step 24
// even when the box itself fails and the failure is passed over: no later
// decision is made, and the cancel is never reached.
TEST(Controller, AFailedClosingBoxGoesOnAtStep24) {
    struct Row {
        int opcion;
        std::string buscar;
        std::vector<int> answers;
    };
    const std::vector<Row> rows = {
        {3, "x", {mb::kIgnore}},            // step 21
        {2, "x", {mb::kAbort}},             // step 18
        {1, "x", {mb::kYes, mb::kIgnore}},  // step 15
        {1, "", {mb::kAbort}},              // step 12
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "opcion " << row.opcion << " '" << row.buscar << "'");
        RunFixture f;
        f.addProject("Ventas.vbp", "x");
        f.form.opcion = row.opcion;
        f.form.buscar = row.buscar;
        f.toolkit.answers.assign(row.answers.begin(), row.answers.end());
        bool failed = false;
        int opcionReadsAtTheFailure = -1;
        f.toolkit.beforeAnswer = [&](const Box& b) {
            if (b.style == 32 && !failed) {
                failed = true;
                opcionReadsAtTheFailure = f.form.reads["opcion"];
                throw Failure(err::kOutOfMemory);
            }
        };

        CmdOK_Click(f.sv);

        EXPECT_TRUE(failed);
        ASSERT_FALSE(f.toolkit.boxes.empty());
        EXPECT_EQ(f.toolkit.boxes.back(),
                  (Box{standardDescription(err::kOutOfMemory), 18, std::nullopt}));
        EXPECT_EQ(f.form.reads["opcion"], opcionReadsAtTheFailure);
        EXPECT_FALSE(f.toolkit.ended);
        EXPECT_EQ(f.form.caption, "&OK");
        EXPECT_TRUE(f.toolkit.answers.empty());
    }
}

TEST(Controller, RefusalAndConfirmationComeBeforeAnyEntryIsVisited) {
    for (int answer : {mb::kNo, mb::kYes}) {
        SCOPED_TRACE(answer);
        RunFixture f;
        f.addProject("Ventas.vbp", "Ventas");
        f.form.opcion = 1;
        f.form.buscar = "Ventas";
        f.form.reemplazar = "Compras";
        std::vector<std::string> order;
        f.toolkit.beforeAnswer = [&](const Box& b) { order.push_back("box " + b.text); };
        f.form.onRead = [&](const std::string& what, int) {
            if (what == "count" || what == "mark") order.push_back(what);
        };
        f.toolkit.answers = {answer};

        CmdOK_Click(f.sv);

        ASSERT_FALSE(order.empty());
        EXPECT_EQ(order.front(), "box " + confirmacionBox("Ventas", "Compras").text);
        if (answer == mb::kNo) {
            EXPECT_EQ(order.size(), 1u);
        } else {
            EXPECT_EQ(order, (std::vector<std::string>{order.front(), "count", "mark",
                                                       "box Proceso Finalizado"}));
            EXPECT_EQ(f.toolkit.boxes.back(), finalizadoBox());
        }
        EXPECT_EQ(f.form.caption, "&OK");
    }
}

TEST(Controller, APressWhileTheCaptionIsNotOkCancelsAndEndsTheProgram) {
    for (const std::string caption : {"&CANCELAR", "&cancelar", "", "OK", "&OK "}) {
        SCOPED_TRACE(caption);
        RunFixture f;
        f.addProject("Ventas.vbp", "Ventas", true);
        f.form.caption = caption;
        f.form.opcion = 3;

        EXPECT_THROW(CmdOK_Click(f.sv), ProgramEnded);

        EXPECT_TRUE(f.toolkit.ended);
        EXPECT_EQ(f.form.detalleHistory, (std::vector<std::string>{"El proceso fue Cancelado"}));
        EXPECT_EQ(f.form.caption, caption);
        EXPECT_TRUE(f.toolkit.boxes.empty());
        EXPECT_EQ(f.form.reads["buscar"], 0);
        EXPECT_EQ(f.form.reads["count"], 0);
    }
}

// A press that arrives while a run is under way (during the events that a
// build's wait processes) finds "&CANCELAR": the program ends inside that
// nested press, so the suspended run never goes on.
TEST(Controller, ANestedPressDuringARunEndsTheProgramThere) {
    RunFixture f;
    f.addProject("A.vbp", "texto");
    f.addProject("B.vbp", "texto");
    f.addProject("C.vbp", "texto");
    f.form.opcion = 3;
    f.form.buscar = "texto";
    f.form.onRead = [&](const std::string& what, int index) {
        if (what == "mark" && index == 1) CmdOK_Click(f.sv);
    };

    EXPECT_THROW(CmdOK_Click(f.sv), ProgramEnded);

    EXPECT_EQ(f.form.marks(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(f.form.detalle, "El proceso fue Cancelado");
    EXPECT_EQ(f.form.caption, "&CANCELAR");
    EXPECT_TRUE(f.toolkit.boxes.empty());
}

// The same cancel with a toolkit that really ends the process, in a child
// process so that the test runner lives on.
class ExitingToolkit : public testing::HookedToolkit {
  public:
    testing::ScriptedForm* form = nullptr;
    [[noreturn]] void endProgram() override {
        std::fprintf(stderr, "ended with status line: %s\n", form->detalle.c_str());
        std::fflush(stderr);
        std::_Exit(0);
    }
};

// Two entries; the press that reaches the second one presses CmdOK again.
void runAndCancelAtTheSecondEntry() {
    RunFixture f;
    ExitingToolkit toolkit;
    toolkit.form = &f.form;
    Services sv{f.files, f.components, f.processes, toolkit, f.form};
    f.addProject("A.vbp", "texto");
    f.addProject("B.vbp", "texto");
    f.form.opcion = 3;
    f.form.buscar = "texto";
    f.form.onRead = [&](const std::string& what, int index) {
        if (what == "mark" && index == 1) CmdOK_Click(sv);
    };
    CmdOK_Click(sv);
    std::fprintf(stderr, "the run went on\n");
    std::exit(1);
}

TEST(ControllerDeathTest, TheCancelEndsTheProcessAtOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(runAndCancelAtTheSecondEntry(), ::testing::ExitedWithCode(0),
                "ended with status line: El proceso fue Cancelado\n$");
}

TEST(Controller, TheOptionButtonsAreReadAtEveryDecision) {
    // Search and replace is chosen at the press; by the time the controller
    // decides, search is chosen: no refusal, a search run.
    RunFixture f;
    f.addProject("A.vbp", "algo");
    f.addProject("B.vbp", "");
    f.form.opcion = 1;
    f.form.buscar = "";
    f.form.onRead = [&](const std::string& what, int) {
        if (what == "buscar") f.form.opcion = 3;
    };

    CmdOK_Click(f.sv);

    EXPECT_EQ(f.toolkit.boxes, (std::vector<Box>{finalizadoBox()}));
    EXPECT_EQ(f.form.marks(), (std::vector<bool>{true, false}));
}

TEST(Controller, EveryPressStartsWithAFreshRunState) {
    RunFixture f;
    f.addProject("A.vbp", "abc");
    f.form.opcion = 3;
    f.form.buscar = "abc";
    CmdOK_Click(f.sv);
    ASSERT_EQ(f.form.marks(), (std::vector<bool>{true}));

    // Second press: reading TxtBuscar fails and the failure is passed over.
    // The search text is then the fresh, empty one, not the last run's.
    f.form.opcion = 1;
    f.form.faults["buscar"].push_back(Failure(err::kDeviceIo));
    f.toolkit.answers = {mb::kIgnore};
    f.toolkit.boxes.clear();
    CmdOK_Click(f.sv);

    EXPECT_EQ(
        f.toolkit.boxes,
        (std::vector<Box>{{standardDescription(err::kDeviceIo), 18, std::nullopt}, negativaBox()}));
    EXPECT_EQ(f.form.caption, "&OK");
}

}  // namespace
}  // namespace morvane

// The run's failure handler: which failures pass silently, the failure box,
// and where the run goes on after Retry, Ignore and Abort, on a step of the
// controller, of the walk and of a subroutine of the run.
#include "run/control_errores.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/controller.h"
#include "run_fixture.h"

namespace morvane {
namespace {

using testing::Box;
using testing::finalizadoBox;
using testing::RunFixture;

struct HandlerCase {
    int number;
    bool borrandoRespaldo;
    int answer;  // 0: no box expected
    Resume resume;
};

TEST(ControlErrores, PassesOnlyAMissingBackupSilently) {
    const std::vector<HandlerCase> cases = {
        {err::kFileNotFound, true, 0, Resume::Next},
        {err::kFileNotFound, false, mb::kIgnore, Resume::Next},
        {err::kFileExists, true, mb::kRetry, Resume::Again},
        {err::kOverflow, true, mb::kAbort, Resume::Next},
        {err::kPathNotFound, true, mb::kIgnore, Resume::Next},
        {err::kPermissionDenied, false, mb::kRetry, Resume::Again},
        {err::kInternal, false, mb::kAbort, Resume::Next},
    };
    for (const HandlerCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.number << " borrando=" << c.borrandoRespaldo);
        RunFixture f;
        Corrida corrida{f.sv, EstadoCorrida{}, {}};
        corrida.estado.BorrandoRespaldo = c.borrandoRespaldo;
        if (c.answer != 0) f.toolkit.answers = {c.answer};

        const Failure failure(c.number);
        EXPECT_EQ(ControlErrores(corrida, failure), c.resume);

        if (c.answer == 0) {
            EXPECT_TRUE(f.toolkit.boxes.empty());
        } else {
            // The platform's description as it is, no title of its own, style 18.
            EXPECT_EQ(f.toolkit.boxes,
                      (std::vector<Box>{{failure.description(), 18, std::nullopt}}));
        }
    }
}

TEST(ControlErrores, ShowsTheDescriptionThePlatformGave) {
    RunFixture f;
    Corrida corrida{f.sv, EstadoCorrida{}, {}};
    f.toolkit.answers = {mb::kIgnore};
    ControlErrores(corrida, Failure(err::kDeviceIo, "Error de E/S en el dispositivo (disco)"));
    EXPECT_EQ(f.toolkit.boxes,
              (std::vector<Box>{{"Error de E/S en el dispositivo (disco)", 18, std::nullopt}}));
}

// A failure box that cannot be shown cannot be answered: the run goes on at
// the step after, so that it can never stay on one step for good.
TEST(ControlErrores, GoesOnWhenTheBoxCannotBeShown) {
    RunFixture f;
    Corrida corrida{f.sv, EstadoCorrida{}, {}};
    f.toolkit.beforeAnswer = [](const Box&) { throw Failure(err::kOutOfMemory); };
    EXPECT_EQ(ControlErrores(corrida, Failure(err::kFileExists)), Resume::Next);
}

// One answer to the failure box, given on a step of the controller, of the
// walk and of a subroutine: Retry runs the failing step again, Ignore and
// Abort go on at the step after it, and no answer stops the run.
TEST(ControlErrores, RetryIgnoreAndAbortOnTheControllerTheWalkAndASubroutine) {
    const Box noEncontrado{standardDescription(err::kFileNotFound), 18, std::nullopt};
    const Box dispositivo{standardDescription(err::kDeviceIo), 18, std::nullopt};

    for (int answer : {mb::kRetry, mb::kIgnore, mb::kAbort}) {
        SCOPED_TRACE(::testing::Message() << "answer " << answer);
        const bool retry = answer == mb::kRetry;

        {
            SCOPED_TRACE("controller step 3, reading TxtBuscar");
            RunFixture f;
            f.addProject("Ventas.vbp", "Ventas");
            f.form.opcion = 1;
            f.form.buscar = "Ventas";
            f.form.reemplazar = "Compras";
            f.form.faults["buscar"].push_back(Failure(err::kDeviceIo));
            f.toolkit.answers = {answer, mb::kNo};

            CmdOK_Click(f.sv);

            // Retry reads the text again; passing over leaves it empty, so the
            // run goes on at step 4 and is refused at step 11.
            ASSERT_EQ(f.toolkit.boxes.size(), 2u);
            EXPECT_EQ(f.toolkit.boxes[0], dispositivo);
            EXPECT_EQ(f.toolkit.boxes[1].style, retry ? 36 : 32);
            EXPECT_EQ(f.toolkit.boxes[1].title, retry ? "Atención!!!" : "ME HICISTE ENOJAR!!!");
            EXPECT_EQ(f.form.reads["buscar"], retry ? 2 : 1);
            EXPECT_EQ(f.form.reads["reemplazar"], 1);
            EXPECT_EQ(f.form.caption, "&OK");
        }

        {
            SCOPED_TRACE("walk step 37, searching a file deleted after listing");
            RunFixture f;
            f.addProject("A.vbp", "Name=\"Ventas\"");
            f.addProject("B.vbp", "Name=\"Ventas\"");
            f.addProject("C.vbp", "Name=\"Ventas\"");
            std::filesystem::remove(f.hostOf("B.vbp"));
            f.form.opcion = 3;
            f.form.buscar = "ventas";
            // The file is back before the step runs again.
            f.toolkit.beforeAnswer = [&](const Box& b) {
                if (b.style == 18) testing::writeBytes(f.hostOf("B.vbp"), "VENTAS");
            };
            f.toolkit.answers = {answer};

            CmdOK_Click(f.sv);

            EXPECT_EQ(f.toolkit.boxes, (std::vector<Box>{noEncontrado, finalizadoBox()}));
            // Retry searched the file again; otherwise B keeps its mark, and C
            // is searched as usual either way.
            EXPECT_EQ(f.form.marks(), (std::vector<bool>{true, retry, true}));
            EXPECT_EQ(f.form.caption, "&OK");
        }

        {
            SCOPED_TRACE("step 4 of a subroutine of the run");
            RunFixture f;
            f.addProject("Compras.vbp", "x");  // the folder exists, the files do not
            Corrida corrida{f.sv, EstadoCorrida{}, {}};
            corrida.onFailure = [&corrida](const Failure& x) { return ControlErrores(corrida, x); };
            std::string trace;
            // A subroutine shaped like a rewrite's backup rotation: deleting a
            // backup that is not there passes silently, deleting the project
            // file that is gone is shown.
            Procedure sub;
            sub.step(1,
                     [&] {
                         corrida.estado.BorrandoRespaldo = true;
                         trace += " s1";
                         return 2;
                     })
                .step(2,
                      [&] {
                          f.files.kill("C:\\Proyectos\\Ventas.OLD");
                          trace += " s2-done";
                          return 3;
                      })
                .step(3,
                      [&] {
                          corrida.estado.BorrandoRespaldo = false;
                          trace += " s3";
                          return 4;
                      })
                .step(4,
                      [&] {
                          trace += " s4";
                          f.files.kill("C:\\Proyectos\\Ventas.vbp");
                          trace += "-done";
                          return 5;
                      })
                .step(5, [&] {
                    trace += " s5";
                    return Procedure::kReturn;
                });
            Procedure caller;
            caller
                .step(1,
                      [&] {
                          trace += "c1";
                          sub.run(corrida.onFailure, 1);
                          trace += " c1-done";
                          return 2;
                      })
                .step(2, [&] {
                    trace += " c2";
                    return Procedure::kReturn;
                });
            f.toolkit.beforeAnswer = [&](const Box&) {
                testing::writeBytes(f.hostOf("Ventas.vbp"), "x");
            };
            f.toolkit.answers = {answer};

            EXPECT_EQ(caller.run(corrida.onFailure, 1), Outcome::Returned);

            EXPECT_EQ(f.toolkit.boxes, (std::vector<Box>{noEncontrado}));
            EXPECT_EQ(trace,
                      retry ? "c1 s1 s3 s4 s4-done s5 c1-done c2" : "c1 s1 s3 s4 s5 c1-done c2");
            EXPECT_EQ(std::filesystem::exists(f.hostOf("Ventas.vbp")), !retry);
        }
    }
}

}  // namespace
}  // namespace morvane

#include "run/controller.h"

#include <optional>
#include <string>

#include "ops/group.h"
#include "platform/text.h"
#include "run/control_errores.h"
#include "engine/corrida.h"
#include "run/recorrer_seleccion.h"

namespace morvane {

namespace {

const std::string kCaptionOK = "&OK";
const std::string kCaptionCancelar = "&CANCELAR";
const std::string kCancelado = "El proceso fue Cancelado";
const std::string kFinalizado = "Proceso Finalizado";
const std::string kNegativa =
    "SI NO ELEGIS LO QUE QUERES BUSCAR... COMO LO QUERES REEMPLAZAR... ";
const std::string kTituloNegativa = "ME HICISTE ENOJAR!!!";
const std::string kTituloConfirmacion = "Atención!!!";

std::string confirmacion(const EstadoCorrida& e) {
    return "Atención se Buscará la Cadena: " + e.CadenaBuscar +
           "  en el Archivo Seleccinado, y será Reemplazada por: " + e.CadenaReemplazo +
           " Esta USTED DE ACUERDO, ES SU RESPONSABILIDAD!!!!";
}

}  // namespace

void CmdOK_Click(Services& sv) {
    // A fresh run state for every press; it goes when the press returns.
    Corrida corrida{sv, EstadoCorrida{}, {}};
    corrida.onFailure = [&corrida](const Failure& f) { return ControlErrores(corrida, f); };

    MainForm& form = sv.form;
    Toolkit& toolkit = sv.toolkit;
    EstadoCorrida& e = corrida.estado;
    constexpr int kVolverOK = 24;

    // The end-of-run box has the empty text as its title, which is not the
    // same as no title at all.
    auto finalizado = [&] {
        toolkit.msgBox(kFinalizado, mb::kOkQuestion, std::optional<std::string>(""));
        return kVolverOK;
    };
    // The walk returns the early exit only if an operation inside it asks for it.
    auto recorrer = [&](int siguiente) {
        return RecorrerSeleccion(corrida) == Outcome::ExitRun ? kVolverOK : siguiente;
    };

    // The option buttons are read afresh at every decision: nothing stores
    // the chosen operation.
    Procedure run;
    run.step(1, [&] { return textEquals(form.cmdOkCaption(), kCaptionOK) ? 2 : 22; })
        .step(2, [&] {
            form.setCmdOkCaption(kCaptionCancelar);
            return 3;
        })
        .step(3, [&] {
            e.CadenaBuscar = trimSpaces(form.txtBuscar());
            return 4;
        })
        .step(4, [&] {
            e.CadenaReemplazo = trimSpaces(form.txtReemplazar());
            return 5;
        })
        .step(5, [&] { return form.optTipo(0) ? 6 : 10; })
        .step(6, [&] { return AbrirGrupo(corrida) == Outcome::ExitRun ? kVolverOK : 7; })
        .step(7, [&] { return recorrer(8); })
        .step(8, [&] {
            CerrarGrupo(corrida);
            return 9;
        })
        .step(9, finalizado, kVolverOK)
        .step(10, [&] { return form.optTipo(1) ? 11 : 16; })
        .step(11, [&] { return e.CadenaBuscar.empty() ? 12 : 13; })
        .step(12, [&] {
            toolkit.msgBox(kNegativa, mb::kOkQuestion, kTituloNegativa);
            return kVolverOK;
        }, kVolverOK)
        .step(13, [&] {
            int respuesta = toolkit.msgBox(confirmacion(e), mb::kYesNoQuestion,
                                           kTituloConfirmacion);
            return respuesta == mb::kYes ? 14 : kVolverOK;
        })
        .step(14, [&] { return recorrer(15); })
        .step(15, finalizado, kVolverOK)
        .step(16, [&] { return form.optTipo(2) ? 17 : 19; })
        .step(17, [&] { return recorrer(18); })
        .step(18, finalizado, kVolverOK)
        .step(19, [&] { return form.optTipo(3) ? 20 : kVolverOK; })
        .step(20, [&] { return recorrer(21); })
        .step(21, finalizado, kVolverOK)
        .step(22, [&] {
            form.setDetalle(kCancelado);
            return 23;
        })
        .step(23, [&]() -> int {
            toolkit.endProgram();
            return Procedure::kReturn;  // not reached: the program has ended
        })
        .step(kVolverOK, [&] {
            form.setCmdOkCaption(kCaptionOK);
            return 25;
        })
        .step(25, [] { return Procedure::kReturn; });
    run.run(corrida.onFailure, 1);
}

}  // namespace morvane

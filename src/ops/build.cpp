#include "ops/build.h"

#include <array>
#include <cstdint>
#include <string>

#include "platform/failure.h"

namespace morvane {

namespace {

// One row of the spinner: the frame that a pass shows and the state after it.
struct FilaGiro {
    const char* caracter;
    std::int16_t siguiente;
};

constexpr std::array<FilaGiro, 6> kGiro{{
    {"\u00B7", 1},  // middle dot
    {"\u00B0", 2},  // degree sign
    {"o", 3},
    {"O", 4},
    {"0", 5},
    {"@", 0},
}};

constexpr int kEstiloMinimizadoSinFoco = 6;
constexpr std::uint32_t kPausaMs = 100;

// The identifier that a start gives, as the 32-bit integer OpenProcess takes;
// a value that does not fit is the platform's overflow failure.
std::uint32_t identificador(double id) {
    if (!(id >= 0 && id <= 4294967295.0)) throw Failure(err::kOverflow);
    return static_cast<std::uint32_t>(id);
}

}  // namespace

void GenerarEjecutable(Corrida& corrida) {
    MainForm& form = corrida.sv.form;
    Toolkit& toolkit = corrida.sv.toolkit;
    ProcessServices& procesos = corrida.sv.processes;
    EstadoCorrida& e = corrida.estado;
    // The entry's full path, which the walk put into the run state.
    const std::string& ruta = e.RutaProyecto;
    constexpr int kFinalizado = 15;
    // The spinner row of the current pass, taken at step 7.
    const FilaGiro* fila = &kGiro[0];

    // Steps 7 to 14 are one pass of the wait. The test comes at the end of a
    // pass, so a process that has ended before the first read still gets one
    // whole pass.
    Procedure build;
    build
        .step(1,
              [&] {
                  form.setDetalle("Generando Ejecutable de: " + ruta);
                  return 2;
              })
        .step(2,
              [&] {
                  form.refreshDetalle();
                  return 3;
              })
        .step(3,
              [&] {
                  // Starting and opening are one step: running it again starts the
                  // compiler again. A start that fails leaves hProceso as it was,
                  // which is 0: every wait releases its handle when it ends.
                  const double id = procesos.Shell("vb6 /m " + ruta, kEstiloMinimizadoSinFoco);
                  e.hProceso =
                      procesos.OpenProcess(kProcessQueryInformation, false, identificador(id));
                  return 4;
              })
        .step(4, [&] { return e.hProceso == 0 ? 5 : 7; })
        .step(5,
              [&] {
                  form.setDetalle("Error al Generar el : " + ruta);
                  return 6;
              })
        .step(
            6,
            [&] {
                form.refreshDetalle();
                return kFinalizado;
            },
            kFinalizado)
        .step(
            7,
            [&] {
                fila = &kGiro.at(static_cast<std::size_t>(e.EstadoGiro));
                return 8;
            },
            10)
        .step(8,
              [&] {
                  e.CaracterGiro = fila->caracter;
                  return 9;
              })
        .step(9,
              [&] {
                  e.EstadoGiro = fila->siguiente;
                  return 10;
              })
        .step(10,
              [&] {
                  // Its own success result is not looked at: a read that fails
                  // leaves CodigoSalida as it was.
                  procesos.GetExitCodeProcess(e.hProceso, e.CodigoSalida);
                  return 11;
              })
        .step(11,
              [&] {
                  // A press of CmdOK here cancels the run and ends the program
                  // inside this call; marks and the option changed here count
                  // where the walk next reads them.
                  toolkit.doEvents();
                  return 12;
              })
        .step(12,
              [&] {
                  procesos.Sleep(kPausaMs);
                  return 13;
              })
        .step(13,
              [&] {
                  // Not repainted here: the next processing of events paints it.
                  form.setDetalle(e.CaracterGiro + " Generando Ejecutable: " + ruta);
                  return 14;
              })
        .step(
            14,
            [&] {
                if (e.CodigoSalida == kStillActive) return 7;
                // The handle is not used after the wait: release it, so that a
                // later start that fails and is passed over finds no handle.
                procesos.CloseHandle(e.hProceso);
                e.hProceso = 0;
                return kFinalizado;
            },
            kFinalizado)
        .step(15,
              [&] {
                  form.setDetalle(ruta + " Finalizado ");
                  return 16;
              })
        .step(16,
              [&] {
                  form.refreshDetalle();
                  return 17;
              })
        .step(17, [] { return Procedure::kReturn; });
    build.run(corrida.onFailure, 1);
}

}  // namespace morvane

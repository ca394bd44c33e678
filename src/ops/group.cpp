#include "ops/group.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/reserved_names.h"
#include "platform/text.h"
#include "platform/wildcard.h"
#include "engine/verifica_barra.h"

namespace morvane {

namespace {

const std::string kPregunta = "El Nombre del Archivo, sin la Ruta, o Blanco para Cancelar";
const std::string kTitulo = "Crear Visual Basic Group";
const std::string kExtension = ".vbG";
const std::string kReemplazar = "El Archivo Informado ya Existe ¿Desea Reemplazarlo?";
const std::string kCabecera = "VBGROUP 5.0\r\nStartupProject=";
const std::string kProyecto = "Project=";

// Hidden files of the listing. The host counts every name that starts with a
// dot as hidden, so the existence test asks for them as well: a file that is
// there is never emptied without the question.
constexpr int kOculto = 2;

// Whether the name ends in the group extension in any letter case. The
// extension is plain ASCII, so comparing the last four bytes is comparing the
// last four characters.
bool terminaEnExtension(const std::string& nombre) {
    if (nombre.size() < kExtension.size()) return false;
    const std::string_view cola =
        std::string_view(nombre).substr(nombre.size() - kExtension.size());
    for (std::size_t i = 0; i < cola.size(); ++i) {
        if (ansiUpper(static_cast<unsigned char>(cola[i])) !=
            ansiUpper(static_cast<unsigned char>(kExtension[i]))) {
            return false;
        }
    }
    return true;
}

// The name is a file name without its folder. The characters that the target
// platform never allows in one (folder separators, wildcards, the drive
// colon, quotes, redirection signs and control characters) are refused here
// as they are there, since this host would otherwise write somewhere else or
// make a name the group file's users cannot open.
void exigirNombreUtilizable(const std::string& nombre) {
    for (unsigned char c : nombre) {
        if (c < 0x20 ||
            std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos) {
            throw Failure(err::kBadFileNumber,
                          standardDescription(err::kBadFileNumber) + ": \"" + nombre +
                              "\" no es un nombre de archivo válido (no puede llevar ruta ni "
                              "ninguno de los caracteres \\ / : * ? \" < > |)");
        }
    }
    // Under such a name Windows would write to a device, or drop the end.
    const char* motivo = isReservedDeviceName(nombre)
                             ? "Windows reserva ese nombre para un dispositivo"
                         : endsInDotOrSpace(nombre) ? "no puede terminar en punto ni en espacio"
                                                    : nullptr;
    if (motivo != nullptr) {
        throw Failure(err::kBadFileNumber, standardDescription(err::kBadFileNumber) + ": \"" +
                                               nombre + "\" no es un nombre de archivo válido (" +
                                               motivo + ")");
    }
}

// The project's file name as the folder listing stores it, as ansi bytes for
// the group file; empty when the file is gone. A name that the target
// platform allows has no wildcards and the listing names the file itself; a
// name of this host with * or ? is matched against every name listed, so the
// line never names some other project.
std::string nombreParaElGrupo(FileServices& files, const std::string& ruta) {
    const std::size_t barra = ruta.find_last_of("\\/");
    const std::string buscado = barra == std::string::npos ? ruta : ruta.substr(barra + 1);
    std::string nombre = files.dir(ruta, attr::kNormal);
    if (hasWildcards(buscado)) {
        while (!nombre.empty() && !textEquals(nombre, buscado)) nombre = files.dirNext();
    }
    if (!fitsAnsi(nombre)) {
        // Written in the 8-bit code page the name would come out as some
        // other name, and the group would point at a project that is not there.
        throw Failure(err::kCannotConvert,
                      "El nombre del proyecto \"" + nombre +
                          "\" tiene caracteres que la página de códigos Windows-1252 no "
                          "admite: no se puede escribir en el archivo de grupo");
    }
    return utf8ToAnsi(nombre);
}

}  // namespace

Outcome AbrirGrupo(Corrida& corrida) {
    Services& sv = corrida.sv;
    EstadoCorrida& e = corrida.estado;
    const auto archivo = [&e] { return e.CarpetaGrupo + e.NombreGrupo; };

    Procedure abrir;
    abrir
        .step(1,
              [&] {
                  std::string ruta = sv.form.dirPath();
                  e.CarpetaGrupo = VerificaBarra(ruta);
                  return 2;
              })
        .step(2,
              [&] {
                  e.NombreGrupo = sv.toolkit.inputBox(kPregunta, kTitulo);
                  return 3;
              })
        // A blank name, a cancelled box included, ends the run before any file
        // is touched. The name itself keeps its spaces.
        .step(3, [&] { return trimSpaces(e.NombreGrupo).empty() ? Procedure::kExitRun : 4; })
        .step(4, [&] { return terminaEnExtension(e.NombreGrupo) ? 6 : 5; })
        .step(5,
              [&] {
                  e.NombreGrupo += kExtension;
                  return 6;
              })
        .step(6,
              [&] {
                  exigirNombreUtilizable(e.NombreGrupo);
                  return sv.files.dir(archivo(), attr::kArchive | kOculto).empty() ? 8 : 7;
              })
        // No asks for the name again, from the folder on.
        .step(
            7,
            [&] { return sv.toolkit.msgBox(kReemplazar, mb::kYesNoQuestion) == mb::kYes ? 8 : 1; })
        .step(8,
              [&] {
                  e.PrimeraLinea = true;
                  return 9;
              })
        .step(9,
              [&] {
                  e.ArchivoGrupo = static_cast<std::int16_t>(sv.files.freeFile());
                  return 10;
              })
        .step(10,
              [&] {
                  exigirNombreUtilizable(e.NombreGrupo);
                  sv.files.openForOutput(archivo(), e.ArchivoGrupo);
                  return 11;
              })
        .step(11, [] { return Procedure::kReturn; });
    return abrir.run(corrida.onFailure, 1);
}

void AgregarAlGrupo(Corrida& corrida) {
    Services& sv = corrida.sv;
    EstadoCorrida& e = corrida.estado;
    // Left empty when the listing fails and the failure is passed over: the
    // line then ends after the "=", as for a project that is gone.
    std::string nombreProyecto;

    Procedure agregar;
    agregar.step(1, [&] { return e.PrimeraLinea ? 2 : 4; })
        .step(2,
              [&] {
                  e.PrimeraLinea = false;
                  return 3;
              })
        // The first project's line carries the header before it.
        .step(
            3,
            [&] {
                e.LineaGrupo = kCabecera;
                return 5;
            },
            5)
        .step(4,
              [&] {
                  e.LineaGrupo = kProyecto;
                  return 5;
              })
        .step(5,
              [&] {
                  nombreProyecto = nombreParaElGrupo(sv.files, e.RutaProyecto);
                  return 6;
              })
        .step(6,
              [&] {
                  e.LineaGrupo += nombreProyecto;
                  return 7;
              })
        .step(7,
              [&] {
                  sv.files.printLine(e.ArchivoGrupo, e.LineaGrupo);
                  return 8;
              })
        .step(8, [] { return Procedure::kReturn; });
    agregar.run(corrida.onFailure, 1);
}

void CerrarGrupo(Corrida& corrida) {
    FileServices& files = corrida.sv.files;
    const EstadoCorrida& e = corrida.estado;

    Procedure cerrar;
    // When the opening failed and was passed over, nothing is open under the
    // number: there is nothing to close and nothing to report. A close whose
    // last lines the disk refused keeps the file open for a Retry; passed
    // over, the file is given up as it stands on disk.
    cerrar
        .step(1,
              [&] {
                  if (files.isOpen(e.ArchivoGrupo)) files.close(e.ArchivoGrupo);
                  return 2;
              })
        .step(2, [&] {
            if (files.isOpen(e.ArchivoGrupo)) files.abandon(e.ArchivoGrupo);
            return Procedure::kReturn;
        });
    cerrar.run(corrida.onFailure, 1);
}

}  // namespace morvane

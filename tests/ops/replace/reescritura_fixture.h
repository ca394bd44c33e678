// A batch run over the host's real files on a temporary c: drive, with the
// scripted window, for rewriting project files such as C:\Proyectos\Ventas.vbp.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ops/replace.h"
#include "platform/host_components.h"
#include "platform/host_files.h"
#include "platform/processes/host_processes.h"
#include "run/control_errores.h"
#include "engine/corrida.h"
#include "support/scripted_window.h"
#include "support/temp_drive.h"

namespace morvane::testing {

// A scripted toolkit that lets a test act when a box comes up, before it is
// answered: to mend the fault a Retry is meant to find mended.
class ToolkitConAviso : public ScriptedToolkit {
  public:
    std::function<void(const std::string& texto)> alMostrar;
    int msgBox(const std::string& text, int style,
               const std::optional<std::string>& title) override {
        if (alMostrar) alMostrar(text);
        return ScriptedToolkit::msgBox(text, style, title);
    }
};

class Reescritura : public ::testing::Test {
  protected:
    Reescritura() {
        corrida.onFailure = [this](const Failure& f) { return ControlErrores(corrida, f); };
    }

    // Host path of a program path on the c: drive ("Proyectos\\Ventas.vbp").
    std::filesystem::path host(const std::string& rel) const {
        std::string r = rel;
        for (char& c : r)
            if (c == '\\') c = '/';
        return drive.host(r);
    }

    // Runs ReemplazarEnArchivo on one project path with the run's texts.
    void reemplazar(const std::string& ruta, const std::string& buscar,
                    const std::string& reemplazo) {
        corrida.estado.RutaProyecto = ruta;
        corrida.estado.CadenaBuscar = buscar;
        corrida.estado.CadenaReemplazo = reemplazo;
        ReemplazarEnArchivo(corrida);
    }

    // The names in a host folder, sorted.
    std::vector<std::string> nombres(const std::string& carpeta) const {
        std::vector<std::string> n;
        for (const auto& entry : std::filesystem::directory_iterator(host(carpeta)))
            n.push_back(entry.path().filename().string());
        std::sort(n.begin(), n.end());
        return n;
    }

    // The description of a failure as its box shows it.
    static std::string descripcion(int numero) { return Failure(numero).description(); }

    TempDrive drive{'c'};
    HostFileServices files{drive.drives()};
    HostComponents components{drive.drives()};
    HostProcesses processes;
    ToolkitConAviso toolkit;
    ScriptedForm form;
    Services sv{files, components, processes, toolkit, form};
    Corrida corrida{sv, EstadoCorrida{}, {}};
};

// The file as the rewrite leaves it when nothing matches: a line ends at CR
// or CR LF, a lone LF stays inside its line, and every line, the last one
// included, ends with CR LF.
inline std::string conFinesCRLF(const std::string& bytes) {
    std::string out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t cr = bytes.find('\r', i);
        if (cr == std::string::npos) {
            out.append(bytes, i);
            out += "\r\n";
            break;
        }
        out.append(bytes, i, cr - i);
        out += "\r\n";
        i = cr + 1;
        if (i < bytes.size() && bytes[i] == '\n') ++i;
    }
    return out;
}

}  // namespace morvane::testing

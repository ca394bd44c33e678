// A group file run on real files: drive c: mapped to a temporary folder, the
// real file services, the window scripted with the group option chosen and
// Dir1 showing C:\Proyectos.
#pragma once

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/host_components.h"
#include "platform/host_files.h"
#include "platform/processes/host_processes.h"
#include "platform/services.h"
#include "run/controller.h"
#include "support/scripted_window.h"
#include "support/temp_drive.h"

namespace morvane::testing {

inline const std::string kPreguntaNombre =
    "El Nombre del Archivo, sin la Ruta, o Blanco para Cancelar";
inline const std::string kTituloNombre = "Crear Visual Basic Group";
inline const std::string kPreguntaReemplazo = "El Archivo Informado ya Existe ¿Desea Reemplazarlo?";

// The boxes a run may show, as the scripted window records them.
inline Box finalizadoBox() {
    return {"Proceso Finalizado", mb::kOkQuestion, std::string()};
}
inline Box reemplazoBox() {
    return {kPreguntaReemplazo, mb::kYesNoQuestion, std::nullopt};
}

// The scripted toolkit, with what the user does while a message box is up.
class GroupToolkit : public ScriptedToolkit {
  public:
    std::function<void()> beforeAnswer;
    int msgBox(const std::string& text, int style,
               const std::optional<std::string>& title) override {
        if (beforeAnswer) beforeAnswer();
        return ScriptedToolkit::msgBox(text, style, title);
    }
};

class GroupRun {
  public:
    GroupRun() {
        form.opcion = 0;
        form.dir = "C:\\Proyectos";
        std::filesystem::create_directories(folder());
    }

    // The host folder behind C:\Proyectos.
    std::filesystem::path folder() const { return drive.host("Proyectos"); }

    // A project file on disk and its entry in the list (entries are added in
    // the order of the calls: callers add them in list order).
    void project(const std::string& name, bool marked) {
        writeBytes(folder() / name, "Type=Exe\r\n");
        form.add("C:\\Proyectos\\" + name, marked);
    }

    // One press of CmdOK.
    void press() { CmdOK_Click(sv); }

    // The names of the folder's files, sorted.
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // The names of the folder's group files, sorted.
    std::vector<std::string> groupFiles() const {
        std::vector<std::string> names;
        for (const std::string& n : files()) {
            if (n.size() >= 4 && textEqualsAscii(n.substr(n.size() - 4), ".vbg"))
                names.push_back(n);
        }
        return names;
    }

    TempDrive drive;
    HostFileServices hostFiles{drive.drives()};
    HostComponents components{drive.drives()};
    HostProcesses processes;
    GroupToolkit toolkit;
    ScriptedForm form;
    Services sv{hostFiles, components, processes, toolkit, form};

  private:
    static bool textEqualsAscii(std::string a, std::string b) {
        auto lower = [](std::string s) {
            for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return s;
        };
        return lower(std::move(a)) == lower(std::move(b));
    }
};

}  // namespace morvane::testing

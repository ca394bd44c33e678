// A batch run on real files: drive c: mapped to a temporary folder, the host
// file services and text-file component over it, the host process services,
// and the scripted window. The window can be made to fail a reading and can
// run a hook whenever the run reads a control or shows a box, so tests can act
// at the exact point where the run looks.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "platform/host_components.h"
#include "platform/host_files.h"
#include "platform/processes/host_processes.h"
#include "platform/services.h"
#include "support/scripted_window.h"
#include "support/temp_drive.h"

namespace morvane::testing {

// The scripted toolkit, plus a hook that sees every box before it is answered.
class HookedToolkit : public ScriptedToolkit {
  public:
    std::function<void(const Box&)> beforeAnswer;

    int msgBox(const std::string& text, int style,
               const std::optional<std::string>& title) override {
        if (beforeAnswer) beforeAnswer(Box{text, style, title});
        return ScriptedToolkit::msgBox(text, style, title);
    }
};

// The scripted form, plus failures queued per control reading and a hook that
// sees every reading ("caption", "buscar", "reemplazar", "opcion", "count",
// "mark", "text") with the index it concerns.
class FaultyForm : public ScriptedForm {
  public:
    mutable std::map<std::string, std::deque<Failure>> faults;
    std::function<void(const std::string& what, int index)> onRead;
    mutable std::map<std::string, int> reads;

    std::string cmdOkCaption() const override {
        look("caption");
        return ScriptedForm::cmdOkCaption();
    }
    std::string txtBuscar() const override {
        look("buscar");
        return ScriptedForm::txtBuscar();
    }
    std::string txtReemplazar() const override {
        look("reemplazar");
        return ScriptedForm::txtReemplazar();
    }
    bool optTipo(int index) const override {
        look("opcion", index);
        return ScriptedForm::optTipo(index);
    }
    int listCount() const override {
        look("count");
        return ScriptedForm::listCount();
    }
    // The entries are reached here without the scripted form's own bounds
    // check, which reads the count and would make the run seem to read it.
    std::string listText(int i) const override {
        look("text", i);
        return entry(i).text;
    }
    bool listSelected(int i) const override {
        look("mark", i);
        return entry(i).selected;
    }
    void setListSelected(int i, bool s) override {
        entry(i);
        list[static_cast<std::size_t>(i)].selected = s;
    }

  private:
    const Entry& entry(int i) const {
        if (i < 0 || static_cast<std::size_t>(i) >= list.size()) {
            throw Failure(err::kInvalidPropertyIndex);
        }
        return list[static_cast<std::size_t>(i)];
    }
    void look(const std::string& what, int index = -1) const {
        ++reads[what];
        if (onRead) const_cast<FaultyForm*>(this)->onRead(what, index);
        auto it = faults.find(what);
        if (it != faults.end() && !it->second.empty()) {
            Failure f = it->second.front();
            it->second.pop_front();
            throw f;
        }
    }
};

struct RunFixture {
    TempDrive drive;
    HostFileServices files{drive.drives()};
    HostComponents components{drive.drives()};
    HostProcesses processes;
    HookedToolkit toolkit;
    FaultyForm form;
    Services sv{files, components, processes, toolkit, form};

    // Writes C:\Proyectos\<name> with the given ansi bytes and lists it.
    std::string addProject(const std::string& name, std::string_view bytes, bool marked = false) {
        writeBytes(drive.host("Proyectos/" + name), bytes);
        std::string entry = "C:\\Proyectos\\" + name;
        form.add(entry, marked);
        return entry;
    }
    std::filesystem::path hostOf(const std::string& name) const {
        return drive.host("Proyectos/" + name);
    }
};

inline void PrintTo(const Box& b, std::ostream* os) {
    *os << "{\"" << b.text << "\", " << b.style << ", "
        << (b.title ? "\"" + *b.title + "\"" : std::string("no title")) << "}";
}

// The boxes a run shows at its end and on refusal or confirmation.
inline Box finalizadoBox() {
    return {"Proceso Finalizado", 32, std::string()};
}

}  // namespace morvane::testing

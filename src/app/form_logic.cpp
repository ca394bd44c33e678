#include "app/form_logic.h"

#include <exception>
#include <vector>

#include "app/centrado.h"
#include "platform/failure.h"
#include "platform/text.h"
#include "run/controller.h"
#include "engine/verifica_barra.h"

namespace morvane {

namespace {

constexpr int kCriticalOk = 16;  // OK button, critical icon
const std::string kCaptionOK = "&OK";

}  // namespace

void FormLogic::Form_Load() {
    // A failure here leaves the window where the platform put it.
    try {
        const std::optional<PixelRect> area = controls_.screenArea();
        if (!area) return;
        const PixelSize outer = controls_.outerSize();
        const int dpi = controls_.dotsPerInch();
        const float t = twipsPerPixel(dpi);
        const Posicion p =
            centrar(static_cast<float>(area->width) * t, static_cast<float>(area->height) * t,
                    static_cast<float>(outer.width) * t, static_cast<float>(outer.height) * t);
        controls_.moveWindow(area->left + twipsToPixels(p.left, dpi),
                             area->top + twipsToPixels(p.top, dpi));
    } catch (...) {
    }
}

void FormLogic::Drive1_Change() {
    controls_.setFolderPath(controls_.selectedDrive());
}

void FormLogic::Dir1_Change() {
    controls_.clearProjects();
    if (services_ == nullptr) return;
    std::string ruta = form_.dirPath();
    const std::string prefijo = VerificaBarra(ruta);

    // Collected first and put in order in one go; a listing that fails half
    // way leaves the list empty.
    FileServices& files = services_->files;
    std::vector<std::string> entradas;
    std::string nombre = files.dir(prefijo + "*.vbp", attr::kNormal);
    while (!textEquals(nombre, "")) {
        entradas.push_back(prefijo + nombre);
        nombre = files.dirNext();
    }
    controls_.setProjects(entradas);
}

void FormLogic::CmdOK_Click() {
    if (services_ == nullptr) return;
    struct Depth {
        int& n;
        explicit Depth(int& d) : n(++d) {}
        ~Depth() { --n; }
    } depth(runDepth_);
    try {
        morvane::CmdOK_Click(*services_);
    } catch (const ProgramEnded&) {
        controls_.closeAfterProgramEnded();
    } catch (const std::exception& e) {
        // Nothing of a run should get here; if something does, the window lives on.
        form_.setCmdOkCaption(kCaptionOK);
        services_->toolkit.msgBox(e.what(), kCriticalOk);
    }
}

template <typename Handler>
void FormLogic::guarded(Handler handler) {
    try {
        (this->*handler)();
    } catch (const Failure& f) {
        browsingFailed(f.description());
    } catch (const std::exception& e) {
        browsingFailed(e.what());
    }
}

void FormLogic::driveChanged() {
    guarded(&FormLogic::Drive1_Change);
}

void FormLogic::folderChanged() {
    guarded(&FormLogic::Dir1_Change);
}

void FormLogic::folderOpenFailed(const std::string& description) {
    browsingFailed(description);
}

void FormLogic::browsingFailed(const std::string& description) {
    controls_.clearProjects();
    const std::string path = form_.dirPath();
    controls_.showDrive(path.empty() ? '\0' : path[0]);
    if (services_ != nullptr) services_->toolkit.msgBox(description, kCriticalOk);
}

bool FormLogic::closeRequested() {
    // Closing while a run waits for the compiler ends the program as the
    // cancel does: the same press of CmdOK, which finds "&CANCELAR".
    if (runDepth_ > 0 && !textEquals(form_.cmdOkCaption(), kCaptionOK)) {
        CmdOK_Click();
        return false;
    }
    return true;
}

}  // namespace morvane

// The toolkit services on Win32: the system's message boxes with Spanish
// buttons and the style codes' answer codes, an input box, pending events
// and ending the program.
//
// Provides: every button set, icon and default button that MessageBoxW takes
// from a style code; no title (or an empty one) shows "Morvane"; the input
// box with "Aceptar" and "Cancelar"; a message loop shared by doEvents and the
// program's main loop, in which the main window's keys (Tab, access keys,
// its own arrow and Return keys) work. Ending the program closes the files
// first, then ends the process at once.
// Does not provide: help buttons, system-modal boxes, boxes owned by any
// window but the main one.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/toolkit.h"

namespace morvane {

class Win32Toolkit : public Toolkit {
  public:
    // The title of a box given no title (or an empty one).
    static constexpr const char* kApplicationTitle = "Morvane";

    int msgBox(const std::string& text, int style,
               const std::optional<std::string>& title = std::nullopt) override;
    std::string inputBox(const std::string& prompt, const std::string& title) override;
    void doEvents() override;
    [[noreturn]] void endProgram() override;

    // The window that owns the boxes and whose keys the dialog manager
    // handles (Tab, Shift+Tab, access keys).
    void setMainWindow(HWND window) { main_ = window; }
    // Sees every message before the dialog manager; true when it handled it.
    void setMessageFilter(std::function<bool(MSG&)> filter) { filter_ = std::move(filter); }
    // Runs before the program ends: closes and writes out the open files.
    void setBeforeEnd(std::function<void()> action) { beforeEnd_ = std::move(action); }

    // Processes messages until the main window is gone; the exit code.
    int runMessageLoop();

  private:
    void dispatch(MSG& message);

    HWND main_ = nullptr;
    std::function<bool(MSG&)> filter_;
    std::function<void()> beforeEnd_;
};

}  // namespace morvane

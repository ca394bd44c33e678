// The behaviour of Form1, apart from any toolkit: the load handler, the
// drive and folder change handlers, what a failed listing shows, the press of
// CmdOK and closing the window. A toolkit's window owns one, implements
// FormControls and MainForm with its controls, and passes its events here.
#pragma once

#include <string>

#include "app/form_controls.h"
#include "platform/services.h"

namespace morvane {

class FormLogic {
  public:
    // `controls` and `form` are the same window seen two ways.
    FormLogic(FormControls& controls, MainForm& form) : controls_(controls), form_(form) {}

    // What the handlers work with; the window stays inert (no listing, no
    // run) until it has them.
    void setServices(Services& services) { services_ = &services; }

    // The load handler: centres the window on its screen, ignoring failures.
    void Form_Load();
    // The change handlers of the drive and folder lists. They throw the
    // platform's failures; the events below reach them through guards.
    void Drive1_Change();
    void Dir1_Change();
    // A press of CmdOK: one batch run, or the cancel.
    void CmdOK_Click();

    // The toolkit's events. A failure of a change handler is shown, and the
    // lists recover; the program goes on.
    void driveChanged();
    void folderChanged();
    // The folder list could not open the entry the user chose.
    void folderOpenFailed(const std::string& description);
    // The user asks to close the window. While a run waits for the compiler
    // this is the cancel (the same press of CmdOK) and the window stays;
    // otherwise the window may close.
    bool closeRequested();

  private:
    // A drive or folder that could not be read: the list stays empty, the
    // drive list shows the folder list's drive again, and the user is told.
    void browsingFailed(const std::string& description);
    template <typename Handler>
    void guarded(Handler handler);

    FormControls& controls_;
    MainForm& form_;
    Services* services_ = nullptr;
    int runDepth_ = 0;  // presses of CmdOK in progress (a cancel nests in a run)
};

}  // namespace morvane

// What the program relies on of the windowing toolkit during a run: modal
// boxes, processing pending events, ending the program, and the controls of
// the main window that the run reads and writes. The run and the operations
// see the window only through these interfaces.
#pragma once

#include <optional>
#include <string>

namespace morvane {

// Message box style codes and answer codes.
namespace mb {
inline constexpr int kOkQuestion = 32;                // OK, question-mark icon
inline constexpr int kYesNoQuestion = 36;             // Yes and No, question-mark icon
inline constexpr int kAbortRetryIgnoreCritical = 18;  // Abort, Retry and Ignore, critical icon
inline constexpr int kAbort = 3;
inline constexpr int kRetry = 4;
inline constexpr int kIgnore = 5;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
}  // namespace mb

// Thrown by Toolkit::endProgram where ending the process is not wanted (a
// scripted window in tests). Not a std::exception, so that no failure handler
// of the run can take it for a failure.
struct ProgramEnded {};

class Toolkit {
public:
    virtual ~Toolkit() = default;
    // A modal message box; the first button is the default. Without a title
    // the box shows the application's title. Returns the answer code.
    virtual int msgBox(const std::string& text, int style,
                       const std::optional<std::string>& title = std::nullopt) = 0;
    // A modal input box with an empty answer field; the typed text, or the
    // empty text when cancelled.
    virtual std::string inputBox(const std::string& prompt, const std::string& title) = 0;
    // Runs every pending event handler, then returns.
    virtual void doEvents() = 0;
    // Ends the program at once: no further handler or step runs, open files are
    // closed. Never returns normally.
    [[noreturn]] virtual void endProgram() = 0;
};

// The controls of the main window, as the run uses them.
class MainForm {
public:
    virtual ~MainForm() = default;
    virtual std::string cmdOkCaption() const = 0;
    virtual void setCmdOkCaption(const std::string& caption) = 0;
    virtual std::string txtBuscar() const = 0;
    virtual std::string txtReemplazar() const = 0;
    virtual bool optTipo(int index) const = 0;
    virtual int listCount() const = 0;
    // Text and mark of entry i; Failure 381 when i is not an entry's index.
    virtual std::string listText(int index) const = 0;
    virtual bool listSelected(int index) const = 0;
    virtual void setListSelected(int index, bool selected) = 0;
    virtual std::string dirPath() const = 0;
    virtual void setDetalle(const std::string& caption) = 0;
    // Paints the status line now, before the caller goes on.
    virtual void refreshDetalle() = 0;
};

}  // namespace morvane

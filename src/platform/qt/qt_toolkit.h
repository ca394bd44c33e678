// The toolkit services on Qt: message boxes with the target platform's style
// and answer codes, the input box, pending events, and ending the program.
//
// Provides: every button set and icon of the style codes (0-5 buttons, 16/32/
// 48/64 icons, 256/512 default button); no title shows the application's
// title. Ending the program closes the files first, then leaves at once.
// Does not provide: help buttons, system-modal boxes.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/toolkit.h"

class QDialog;
class QWidget;

namespace morvane {

// What a box was asked to show, as the caller passed it.
struct DialogRequest {
    enum class Kind { Message, Input };
    Kind kind = Kind::Message;
    std::string text;  // the message, or the input box's prompt
    int style = 0;     // message boxes only
    std::optional<std::string> title;
};

class QtToolkit : public Toolkit {
  public:
    // The title shown by a box given no title (or an empty one).
    static constexpr const char* kApplicationTitle = "Morvane";

    int msgBox(const std::string& text, int style,
               const std::optional<std::string>& title = std::nullopt) override;
    std::string inputBox(const std::string& prompt, const std::string& title) override;
    void doEvents() override;
    [[noreturn]] void endProgram() override;

    // The window that the boxes belong to (centred over it); may stay unset.
    void setParentWindow(QWidget* window) { parent_ = window; }

    // Builds and lays out a box without showing it, so that the first box
    // the user waits for finds the style's polish, the fonts and the
    // translations of its buttons ready. For idle time.
    void prepareBoxes();

    // Runs before the program ends: closes and writes out the open files.
    void setBeforeEnd(std::function<void()> action) { beforeEnd_ = std::move(action); }
    // How the program ends; std::_Exit(0) unless replaced. When a replaced
    // action returns, the program still ends with std::_Exit(0).
    void setEnding(std::function<void()> action) { ending_ = std::move(action); }

    // Called with each box once it is on screen and waiting for the user, so
    // that automation (and tests) can read it and answer it.
    using DialogObserver = std::function<void(QDialog&, const DialogRequest&)>;
    void setDialogObserver(DialogObserver observer) { observer_ = std::move(observer); }

  private:
    void observeWhenShown(QDialog& dialog, const DialogRequest& request);

    QWidget* parent_ = nullptr;
    std::function<void()> beforeEnd_;
    std::function<void()> ending_;
    DialogObserver observer_;
};

// The answer code of a message box button, and the buttons of a style code.
int answerCodeOfButton(int standardButton);

}  // namespace morvane

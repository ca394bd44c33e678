#include "platform/win32/win32_toolkit.h"

#include <cstdio>
#include <cstdlib>

#include "platform/win/wide.h"
#include "platform/win32/input_box.h"
#include "platform/win32/message_box.h"

namespace morvane {

namespace {

std::wstring titleOf(const std::optional<std::string>& title) {
    if (!title || title->empty()) return toWide(Win32Toolkit::kApplicationTitle);
    return toWide(*title);
}

// Texts from the program are UTF-8; one that is not still shows.
std::wstring shown(const std::string& text) {
    try {
        return toWide(text);
    } catch (...) {
        std::wstring out;
        for (unsigned char c : text) out += static_cast<wchar_t>(c < 0x80 ? c : 0xFFFD);
        return out;
    }
}

}  // namespace

int Win32Toolkit::msgBox(const std::string& text, int style,
                         const std::optional<std::string>& title) {
    // The style codes are Windows' own MB_ values: buttons, icon, default.
    const UINT flags = static_cast<UINT>(style) & (MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK);
    HWND owner = main_ != nullptr && ::IsWindowVisible(main_) ? main_ : nullptr;
    return spanishMessageBox(owner, shown(text), titleOf(title), flags | MB_SETFOREGROUND);
}

std::string Win32Toolkit::inputBox(const std::string& prompt, const std::string& title) {
    HWND owner = main_ != nullptr && ::IsWindowVisible(main_) ? main_ : nullptr;
    const std::optional<std::wstring> answer = showInputBox(owner, shown(prompt), titleOf(title));
    return answer ? toUtf8(*answer) : std::string();
}

void Win32Toolkit::dispatch(MSG& message) {
    if (filter_ && filter_(message)) return;
    if (main_ != nullptr && ::IsDialogMessageW(main_, &message)) return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

void Win32Toolkit::doEvents() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Left for the main loop, which ends on it.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        dispatch(message);
    }
}

int Win32Toolkit::runMessageLoop() {
    MSG message;
    BOOL got;
    while ((got = ::GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        dispatch(message);
    }
    return static_cast<int>(message.wParam);
}

void Win32Toolkit::endProgram() {
    // Nothing may stop the ending: the files are closed as well as they can be.
    try {
        if (beforeEnd_) beforeEnd_();
    } catch (...) {
    }
    std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace morvane

#include "platform/win32/message_box.h"

namespace morvane {

namespace {

struct ButtonText {
    int id;
    const wchar_t* text;
};

constexpr ButtonText kSpanishButtons[] = {
    {IDOK, L"Aceptar"},     {IDCANCEL, L"Cancelar"},
    {IDABORT, L"&Anular"},  {IDRETRY, L"&Reintentar"},
    {IDIGNORE, L"&Omitir"}, {IDYES, L"&S\u00ed"},
    {IDNO, L"&No"},
};

thread_local HHOOK renamingHook = nullptr;

// The box is a dialog of this thread; its buttons exist once it is activated
// for the first time, before it is painted.
LRESULT CALLBACK renameButtons(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = {};
        ::GetClassNameW(box, className, 16);
        if (std::wstring_view(className) == L"#32770") {
            for (const ButtonText& b : kSpanishButtons) {
                if (HWND button = ::GetDlgItem(box, b.id)) ::SetWindowTextW(button, b.text);
            }
        }
    }
    return ::CallNextHookEx(renamingHook, code, wParam, lParam);
}

}  // namespace

int spanishMessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT style) {
    // A box shown from inside another box's handlers keeps the outer hook.
    const bool ownHook = renamingHook == nullptr;
    if (ownHook) {
        renamingHook = ::SetWindowsHookExW(WH_CBT, renameButtons, nullptr, ::GetCurrentThreadId());
    }
    const int answer = ::MessageBoxW(owner, text.c_str(), title.c_str(), style);
    if (ownHook && renamingHook != nullptr) {
        ::UnhookWindowsHookEx(renamingHook);
        renamingHook = nullptr;
    }
    return answer;
}

}  // namespace morvane

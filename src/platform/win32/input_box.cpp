#include "platform/win32/input_box.h"

#include <cstdint>
#include <cwchar>
#include <vector>

namespace morvane {

namespace {

// Builds a DLGTEMPLATE with its items, in dialog units; the system scales
// them with the dialog's font and the monitor's DPI.
class TemplateWriter {
  public:
    void dialog(DWORD style, short items, short width, short height, const wchar_t* font,
                WORD points) {
        DLGTEMPLATE t{};
        t.style = style | DS_SETFONT;
        t.cdit = items;
        t.cx = width;
        t.cy = height;
        raw(&t, sizeof t);
        word(0);  // no menu
        word(0);  // the standard dialog class
        word(0);  // the title is set at WM_INITDIALOG
        word(points);
        text(font);
    }

    void item(WORD classAtom, DWORD style, short x, short y, short width, short height, WORD id,
              const wchar_t* caption) {
        align();
        DLGITEMTEMPLATE t{};
        t.style = style | WS_CHILD | WS_VISIBLE;
        t.x = x;
        t.y = y;
        t.cx = width;
        t.cy = height;
        t.id = id;
        raw(&t, sizeof t);
        word(0xFFFF);
        word(classAtom);
        text(caption);
        word(0);  // no creation data
    }

    const DLGTEMPLATE* get() { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

  private:
    void raw(const void* data, std::size_t size) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    void word(WORD w) { raw(&w, sizeof w); }
    void text(const wchar_t* s) { raw(s, (std::wcslen(s) + 1) * sizeof(wchar_t)); }
    void align() {
        while (bytes_.size() % 4 != 0) bytes_.push_back(0);
    }
    // Kept in DWORDs, so the template starts aligned as Windows requires.
    std::vector<std::uint8_t> bytes_;
};

constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;

struct BoxState {
    const std::wstring* prompt;
    const std::wstring* title;
    std::wstring answer;
};

INT_PTR CALLBACK inputBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            auto* state = reinterpret_cast<BoxState*>(lParam);
            ::SetWindowLongPtrW(box, DWLP_USER, lParam);
            ::SetWindowTextW(box, state->title->c_str());
            ::SetDlgItemTextW(box, kInputBoxPromptId, state->prompt->c_str());
            HWND field = ::GetDlgItem(box, kInputBoxFieldId);
            ::SendMessageW(field, EM_SETLIMITTEXT, 0, 0);  // no length limit
            ::SetFocus(field);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                auto* state = reinterpret_cast<BoxState*>(::GetWindowLongPtrW(box, DWLP_USER));
                HWND field = ::GetDlgItem(box, kInputBoxFieldId);
                std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(field)) + 1,
                                  L'\0');
                text.resize(static_cast<std::size_t>(
                    ::GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
                state->answer = std::move(text);
                ::EndDialog(box, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(box, IDCANCEL);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

std::optional<std::wstring> showInputBox(HWND owner, const std::wstring& prompt,
                                         const std::wstring& title) {
    // The layout of the classic input box: the prompt at the top left, the
    // buttons at the right, the field across the bottom.
    TemplateWriter t;
    t.dialog(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 4, 252, 84,
             L"MS Shell Dlg", 8);
    t.item(kStatic, SS_LEFT | SS_NOPREFIX, 7, 7, 180, 48, kInputBoxPromptId, L"");
    t.item(kButton, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 195, 7, 50, 14, IDOK, L"Aceptar");
    t.item(kButton, BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 195, 25, 50, 14, IDCANCEL, L"Cancelar");
    t.item(kEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP, 7, 63, 238, 13,
           kInputBoxFieldId, L"");
    BoxState state{&prompt, &title, {}};
    const INT_PTR result =
        ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), t.get(), owner, inputBoxProc,
                                  reinterpret_cast<LPARAM>(&state));
    if (result != IDOK) return std::nullopt;
    return state.answer;
}

}  // namespace morvane

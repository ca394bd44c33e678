#include "app/win32/form1_window.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "app/form_description.h"
#include "app/win32/control_ids.h"
#include "platform/failure.h"
#include "platform/win/wide.h"
#include "platform/win32/dpi.h"

namespace morvane {

namespace {

constexpr wchar_t kWindowClass[] = L"MorvaneForm1";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;
constexpr int kIconResource = 1;

const WindowDescription& form() {
    return form1Description();
}

struct NativeControl {
    const wchar_t* windowClass;
    DWORD style;
    DWORD exStyle;
};

// Every control is a group of its own for the dialog manager, so that its
// arrow keys never move the focus: the option buttons' arrow keys are the
// window's own (filterMessage).
NativeControl nativeOf(const ControlDescription& c) {
    constexpr DWORD base = WS_CHILD | WS_VISIBLE | WS_GROUP;
    switch (c.kind) {
        case ControlKind::CommandButton:
            return {L"BUTTON", base | WS_TABSTOP | BS_PUSHBUTTON, 0};
        case ControlKind::OptionButton:
            return {L"BUTTON", base | BS_RADIOBUTTON | (c.settings.selected ? WS_TABSTOP : 0u), 0};
        case ControlKind::TextBox:
            return {L"EDIT", base | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::DriveList:
            return {WC_COMBOBOXW, base | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
        case ControlKind::FolderList:
            return {L"LISTBOX",
                    base | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED |
                        LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                    WS_EX_CLIENTEDGE};
        case ControlKind::ListBox:
            return {WC_LISTVIEWW,
                    base | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                        LVS_SHOWSELALWAYS,
                    WS_EX_CLIENTEDGE};
        case ControlKind::Label:
            return {L"STATIC",
                    base | SS_NOPREFIX |
                        (c.settings.alignment == TextAlignment::Center ? SS_CENTER : SS_LEFT),
                    0};
    }
    throw std::logic_error("a control of no known kind");
}

// The controls in tab order, labels at their tab index too: the order in
// which they are made is the order in which Tab visits them.
std::vector<const ControlDescription*> creationOrder() {
    std::vector<const ControlDescription*> order;
    for (const ControlDescription& c : form().controls) order.push_back(&c);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
    return order;
}

std::size_t indexOf(const ControlDescription& c) {
    return static_cast<std::size_t>(&c - form().controls.data());
}

std::string windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return toUtf8(text);
}

}  // namespace

Win32Form1::Win32Form1(const DriveTable& drives) : drives_(drives) {}

Win32Form1::~Win32Form1() {
    if (window_ != nullptr) ::DestroyWindow(window_);
    if (background_ != nullptr) ::DeleteObject(background_);
}

void Win32Form1::create() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(kIconResource));
    wc.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(kIconResource),
                                                 IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    if (::RegisterClassExW(&wc) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw std::runtime_error("the window class could not be registered");
    }
    background_ = ::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));

    window_ = ::CreateWindowExW(kWindowExStyle, kWindowClass, toWide(form().caption).c_str(),
                                kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr,
                                nullptr, instance, this);
    if (window_ == nullptr) throw std::runtime_error("the main window could not be made");
    dpi_ = dpiOfWindow(window_);
    createControls();
    layout(dpi_);
}

void Win32Form1::createControls() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    controls_.assign(form().controls.size(), nullptr);
    for (const ControlDescription* c : creationOrder()) {
        const NativeControl native = nativeOf(*c);
        HWND control = ::CreateWindowExW(
            native.exStyle, native.windowClass, toWide(c->caption).c_str(), native.style, 0, 0, 10,
            10, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(form(), *c))),
            instance, nullptr);
        if (control == nullptr) throw std::runtime_error("a control could not be made");
        controls_[indexOf(*c)] = control;
        if (c->kind == ControlKind::TextBox && c->settings.maxLength == kNoLengthLimit) {
            ::SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // the largest Windows allows
        } else if (c->kind == ControlKind::TextBox) {
            ::SendMessageW(control, EM_SETLIMITTEXT, c->settings.maxLength, 0);
        }
        if (c->kind == ControlKind::OptionButton) {
            if (options_.size() <= static_cast<std::size_t>(c->index)) {
                options_.resize(static_cast<std::size_t>(c->index) + 1);
            }
            options_[static_cast<std::size_t>(c->index)] = control;
            if (c->settings.selected) ::SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
        }
    }
    drive1_.attach(control("Drive1"), drives_);
    dir1_.attach(control("Dir1"), drives_);
    list1_.attach(control("List1"));
    dir1_.onPathChanged([this] { logic_.folderChanged(); });
    dir1_.onOpenFailed(
        [this](const std::string& description) { logic_.folderOpenFailed(description); });
}

void Win32Form1::layout(int dpi) {
    dpi_ = dpi;
    WindowFont windowFont(form().font, dpi);
    std::vector<WindowFont> ownFonts;
    for (const ControlDescription& c : form().controls) {
        HWND h = controls_[indexOf(c)];
        HFONT font = windowFont.handle();
        if (c.settings.font) {
            ownFonts.emplace_back(*c.settings.font, dpi);
            font = ownFonts.back().handle();
        }
        ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        const PixelRect r = pixelsOf(c, dpi);
        if (c.kind == ControlKind::DriveList) {
            // A drop-down list is as tall as its selection field; the field
            // is sized so the whole control has the stored height, and the
            // list that drops down shows several drives.
            ::MoveWindow(h, r.left, r.top, r.width, r.height * 8, FALSE);
            // The whole height follows the field's height by a constant
            // (the borders), measured once at this DPI and font.
            const LRESULT field = ::SendMessageW(h, CB_GETITEMHEIGHT, -1, 0);
            ::SendMessageW(h, CB_SETITEMHEIGHT, -1, field);
            RECT now{};
            ::GetWindowRect(h, &now);
            const LRESULT borders = (now.bottom - now.top) - field;
            if (r.height - borders > 0) ::SendMessageW(h, CB_SETITEMHEIGHT, -1, r.height - borders);
        } else {
            ::MoveWindow(h, r.left, r.top, r.width, r.height, FALSE);
        }
    }
    windowFont_ = std::move(windowFont);
    ownFonts_ = std::move(ownFonts);
    dir1_.setItemHeight(dpi);
    list1_.fitColumn();

    const PixelSize client = clientPixels(form(), dpi);
    const RECT outer =
        outerRectFor({0, 0, client.width, client.height}, kWindowStyle, kWindowExStyle, dpi);
    ::SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(window_, nullptr, TRUE);
}

void Win32Form1::show(int showCommand) {
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
    ::SetFocus(control("List1"));
}

HWND Win32Form1::control(const char* name, int index) const {
    const ControlDescription* c = findControl(form(), name, index);
    if (c == nullptr) throw std::logic_error(std::string("Form1 has no control ") + name);
    return controls_[indexOf(*c)];
}

std::string Win32Form1::textOf(const char* name) const {
    return windowText(control(name));
}

void Win32Form1::selectOption(int index) {
    for (std::size_t i = 0; i < options_.size(); ++i) {
        const bool chosen = static_cast<int>(i) == index;
        ::SendMessageW(options_[i], BM_SETCHECK, chosen ? BST_CHECKED : BST_UNCHECKED, 0);
        // Tab reaches only the selected option, at its own place in the order.
        LONG_PTR style = ::GetWindowLongPtrW(options_[i], GWL_STYLE);
        style = chosen ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        ::SetWindowLongPtrW(options_[i], GWL_STYLE, style);
    }
}

bool Win32Form1::filterMessage(const MSG& message) {
    if (message.message != WM_KEYDOWN) return false;
    if (message.hwnd == dir1_.handle() && message.wParam == VK_RETURN) {
        dir1_.openHighlighted();
        return true;
    }
    const auto option = std::find(options_.begin(), options_.end(), message.hwnd);
    if (option == options_.end()) return false;
    int step = 0;
    if (message.wParam == VK_DOWN || message.wParam == VK_RIGHT) step = 1;
    if (message.wParam == VK_UP || message.wParam == VK_LEFT) step = -1;
    if (step == 0) return false;
    // The arrow keys go round the group in tab order, selecting as they go.
    std::vector<int> byTab;
    for (const ControlDescription* c : tabOrder(form())) {
        if (c->kind == ControlKind::OptionButton) byTab.push_back(c->index);
    }
    const int current = static_cast<int>(option - options_.begin());
    const auto at = std::find(byTab.begin(), byTab.end(), current);
    const int n = static_cast<int>(byTab.size());
    const int next = byTab[static_cast<std::size_t>(((at - byTab.begin()) + step + n) % n)];
    ::SetFocus(options_[static_cast<std::size_t>(next)]);
    selectOption(next);
    return true;
}

void Win32Form1::command(int id, int notification) {
    const int position = id - kFirstControlId;
    if (position < 0 || position >= static_cast<int>(form().controls.size())) return;
    const ControlDescription& c = form().controls[static_cast<std::size_t>(position)];
    switch (c.kind) {
        case ControlKind::CommandButton:
            // Only CmdOK has a handler; CmdInvertir and CmdImprimir have none.
            if (notification == BN_CLICKED && c.name == "CmdOK") {
                ++pressesRunning_;
                logic_.CmdOK_Click();
                --pressesRunning_;
                if (pressesRunning_ == 0 && closeAfterRun_) ::DestroyWindow(window_);
            }
            break;
        case ControlKind::OptionButton:
            if (notification == BN_CLICKED) selectOption(c.index);
            break;
        case ControlKind::DriveList:
            if (notification == CBN_SELCHANGE) logic_.driveChanged();
            break;
        case ControlKind::FolderList:
            if (notification == LBN_DBLCLK) dir1_.openHighlighted();
            break;
        default:
            break;
    }
}

LRESULT CALLBACK Win32Form1::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<Win32Form1*>(create->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32Form1*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT Win32Form1::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (lParam != 0) command(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
            ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
            return reinterpret_cast<LRESULT>(background_);
        }
        case WM_MEASUREITEM: {
            auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            measure->itemHeight = static_cast<UINT>(::MulDiv(17, dpi_, 96));
            return TRUE;
        }
        case WM_DRAWITEM: {
            const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (draw->hwndItem == dir1_.handle()) {
                dir1_.draw(*draw);
                return TRUE;
            }
            break;
        }
        case WM_ACTIVATE:
            // The control that had the focus gets it back when the window is
            // active again (after a box, or another program).
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = ::GetFocus();
                if (focus != nullptr && ::IsChild(window_, focus)) {
                    ::SetPropW(window_, L"MorvaneFocus", focus);
                }
            } else if (auto focus = static_cast<HWND>(::GetPropW(window_, L"MorvaneFocus"));
                       focus != nullptr && ::IsWindow(focus)) {
                ::SetFocus(focus);
            }
            return 0;
        case 0x02E0: {  // WM_DPICHANGED: the window is now on a monitor of another DPI
            layout(HIWORD(wParam));
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            ::SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                           suggested->right - suggested->left, suggested->bottom - suggested->top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_CLOSE:
            if (!logic_.closeRequested()) return 0;
            if (pressesRunning_ > 0) {
                // A run that does not wait for the compiler goes on to its
                // end without the window on screen; the window goes then.
                closeAfterRun_ = true;
                ::ShowWindow(window_, SW_HIDE);
                return 0;
            }
            ::DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            ::RemovePropW(window_, L"MorvaneFocus");
            ::PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            window_ = nullptr;
            break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

std::string Win32Form1::cmdOkCaption() const {
    return textOf("CmdOK");
}

void Win32Form1::setCmdOkCaption(const std::string& caption) {
    ::SetWindowTextW(control("CmdOK"), toWide(caption).c_str());
}

std::string Win32Form1::txtBuscar() const {
    return textOf("TxtBuscar");
}

std::string Win32Form1::txtReemplazar() const {
    return textOf("TxtReemplazar");
}

bool Win32Form1::optTipo(int index) const {
    if (index < 0 || index >= static_cast<int>(options_.size())) {
        throw Failure(err::kInvalidPropertyIndex);
    }
    return ::SendMessageW(options_[static_cast<std::size_t>(index)], BM_GETCHECK, 0, 0) ==
           BST_CHECKED;
}

void Win32Form1::setDetalle(const std::string& caption) {
    ::SetWindowTextW(control("lblDetalle"), toWide(caption).c_str());
}

void Win32Form1::refreshDetalle() {
    HWND label = control("lblDetalle");
    ::InvalidateRect(label, nullptr, TRUE);
    ::UpdateWindow(label);
}

std::optional<PixelRect> Win32Form1::screenArea() {
    HMONITOR monitor = ::MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor == nullptr || !::GetMonitorInfoW(monitor, &info)) return std::nullopt;
    const RECT& r = info.rcMonitor;
    return PixelRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

PixelSize Win32Form1::outerSize() {
    RECT r{};
    ::GetWindowRect(window_, &r);
    return {r.right - r.left, r.bottom - r.top};
}

void Win32Form1::moveWindow(int left, int top) {
    ::SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Form1::closeAfterProgramEnded() {
    if (window_ != nullptr) ::DestroyWindow(window_);
}

}  // namespace morvane

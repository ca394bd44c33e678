#include "remote_window.h"

#include <commctrl.h>

#include <stdexcept>
#include <thread>

namespace morvane::test {

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

namespace {

// The environment block of this process with the given variables replaced.
std::wstring environmentWith(const std::map<std::wstring, std::wstring>& changes) {
    std::map<std::wstring, std::wstring> all;
    wchar_t* block = ::GetEnvironmentStringsW();
    for (const wchar_t* p = block; *p != L'\0'; p += std::wcslen(p) + 1) {
        const std::wstring entry(p);
        const std::size_t eq = entry.find(L'=', 1);
        if (eq != std::wstring::npos) all[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    ::FreeEnvironmentStringsW(block);
    for (const auto& [name, value] : changes) {
        for (auto it = all.begin(); it != all.end();) {
            it = ::CompareStringOrdinal(it->first.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL
                     ? all.erase(it)
                     : std::next(it);
        }
        all[name] = value;
    }
    std::wstring out;
    for (const auto& [name, value] : all) out += name + L"=" + value + L'\0';
    return out + L'\0';
}

struct Search {
    DWORD process;
    const wchar_t* windowClass;
    HWND found;
};

BOOL CALLBACK findWindow(HWND window, LPARAM lParam) {
    auto* s = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != s->process || !::IsWindowVisible(window)) return TRUE;
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    if (std::wstring_view(name) != s->windowClass) return TRUE;
    s->found = window;
    return FALSE;
}

}  // namespace

RunningProgram::RunningProgram(const std::filesystem::path& exe,
                               const std::filesystem::path& folder,
                               const std::map<std::wstring, std::wstring>& environment) {
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    std::wstring env = environmentWith(environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          CREATE_UNICODE_ENVIRONMENT, env.data(), folder.c_str(), &startup,
                          &info_)) {
        throw std::runtime_error("morvane.exe could not be started");
    }
    ::CloseHandle(info_.hThread);
}

RunningProgram::~RunningProgram() {
    if (!hasEnded()) {
        ::TerminateProcess(info_.hProcess, 1);
        ::WaitForSingleObject(info_.hProcess, 10000);
    }
    ::CloseHandle(info_.hProcess);
}

bool RunningProgram::hasEnded(std::chrono::milliseconds wait) const {
    return ::WaitForSingleObject(info_.hProcess, static_cast<DWORD>(wait.count())) == WAIT_OBJECT_0;
}

HWND RunningProgram::waitForWindow(const wchar_t* windowClass,
                                   std::chrono::milliseconds limit) const {
    Search s{id(), windowClass, nullptr};
    waitUntil(
        [&] {
            s.found = nullptr;
            ::EnumWindows(findWindow, reinterpret_cast<LPARAM>(&s));
            return s.found != nullptr || hasEnded();
        },
        limit);
    return s.found;
}

HWND RunningProgram::waitForBox(std::chrono::milliseconds limit) const {
    return waitForWindow(L"#32770", limit);
}

void press(HWND button) {
    ::PostMessageW(button, BM_CLICK, 0, 0);
}

void answerBox(HWND box, int buttonId) {
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, buttonId)));
}

void setText(HWND control, const std::wstring& text) {
    ::SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

namespace {

// Memory in the other process for one message's structure and text.
class RemoteMemory {
  public:
    RemoteMemory(HANDLE process, std::size_t size) : process_(process) {
        address_ = ::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
        if (address_ == nullptr) throw std::runtime_error("no memory in the program");
    }
    ~RemoteMemory() { ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE); }
    void* at(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
    void write(std::size_t offset, const void* data, std::size_t size) const {
        ::WriteProcessMemory(process_, at(offset), data, size, nullptr);
    }
    void read(std::size_t offset, void* data, std::size_t size) const {
        ::ReadProcessMemory(process_, at(offset), data, size, nullptr);
    }

  private:
    HANDLE process_;
    void* address_;
};

}  // namespace

int RemoteListView::count() const {
    return static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring RemoteListView::text(int index) const {
    constexpr std::size_t kChars = 4096;
    RemoteMemory memory(process_, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = static_cast<wchar_t*>(memory.at(sizeof item));
    item.cchTextMax = kChars;
    memory.write(0, &item, sizeof item);
    const auto n = ::SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                                  reinterpret_cast<LPARAM>(memory.at(0)));
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    memory.read(sizeof item, text.data(), text.size() * sizeof(wchar_t));
    return text;
}

bool RemoteListView::checked(int index) const {
    const auto state =
        ::SendMessageW(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK);
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void RemoteListView::setChecked(int index, bool checked) const {
    RemoteMemory memory(process_, sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    memory.write(0, &item, sizeof item);
    ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(memory.at(0)));
}

std::vector<std::wstring> RemoteListView::texts() const {
    std::vector<std::wstring> out;
    for (int i = 0; i < count(); ++i) out.push_back(text(i));
    return out;
}

std::wstring windowsPath(const std::filesystem::path& hostPath) {
    std::wstring p = hostPath.wstring();
    if (!p.empty() && p[0] == L'/') p = L"Z:" + p;
    for (wchar_t& c : p) {
        if (c == L'/') c = L'\\';
    }
    return p;
}

}  // namespace morvane::test

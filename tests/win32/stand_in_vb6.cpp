// A stand-in for the compiler on Windows: a program named vb6.exe that does
// nothing with its arguments, reports how it was started and ends the way a
// test tells it to, through the environment:
//
//   MORVANE_STANDIN_LOG       file to which one record per start is appended:
//                             "start <pid>", "cmdline <command line>", "end";
//                             then "exit <pid>" just before it ends.
//   MORVANE_STANDIN_WAIT_FOR  a file whose appearance it waits for.
//   MORVANE_STANDIN_EXIT      its exit code (0 when not given).
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

std::wstring variable(const wchar_t* name) {
    wchar_t value[32768];
    const DWORD n = ::GetEnvironmentVariableW(name, value, 32768);
    return n == 0 || n >= 32768 ? std::wstring() : std::wstring(value, n);
}

void append(const std::wstring& text) {
    const std::wstring log = variable(L"MORVANE_STANDIN_LOG");
    if (log.empty()) return;
    HANDLE file = ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    // UTF-8, in one write, so records of processes side by side never mix.
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(),
                          size, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

}  // namespace

int wmain() {
    const std::wstring pid = std::to_wstring(::GetCurrentProcessId());
    append(L"start " + pid + L"\ncmdline " + ::GetCommandLineW() + L"\nend\n");
    const std::wstring waitFor = variable(L"MORVANE_STANDIN_WAIT_FOR");
    while (!waitFor.empty() && ::GetFileAttributesW(waitFor.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ::Sleep(20);
    }
    append(L"exit " + pid + L"\n");
    return static_cast<int>(std::wcstol(variable(L"MORVANE_STANDIN_EXIT").c_str(), nullptr, 10));
}

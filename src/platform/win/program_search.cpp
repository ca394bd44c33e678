#include "platform/win/program_search.h"

#include <windows.h>

#include <vector>

namespace morvane {
namespace {

// A folder that one of the functions writes into a buffer of a given size.
template <typename Getter>
std::wstring folderFrom(Getter get) {
    std::wstring text(MAX_PATH, L'\0');
    DWORD length = get(text.data(), static_cast<DWORD>(text.size()));
    if (length >= text.size()) {
        text.assign(length + 1, L'\0');
        length = get(text.data(), static_cast<DWORD>(text.size()));
    }
    text.resize(length < text.size() ? length : 0);
    return text;
}

std::wstring programFolder() {
    std::wstring path(32768, L'\0');
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    const std::size_t sep = path.find_last_of(L"\\/");
    return sep == std::wstring::npos ? std::wstring() : path.substr(0, sep);
}

// The folders in the order in which CreateProcessW looks for a program.
std::wstring searchPath() {
    const std::wstring windows =
        folderFrom([](wchar_t* b, DWORD n) { return ::GetWindowsDirectoryW(b, n); });
    std::vector<std::wstring> folders = {
        programFolder(),
        folderFrom([](wchar_t* b, DWORD n) { return ::GetCurrentDirectoryW(n, b); }),
        folderFrom([](wchar_t* b, DWORD n) { return ::GetSystemDirectoryW(b, n); }),
        windows.empty() ? std::wstring() : windows + L"\\System",
        windows,
        folderFrom([](wchar_t* b, DWORD n) { return ::GetEnvironmentVariableW(L"PATH", b, n); }),
    };
    std::wstring list;
    for (const std::wstring& folder : folders) {
        if (folder.empty()) continue;
        if (!list.empty()) list += L';';
        list += folder;
    }
    return list;
}

}  // namespace

std::wstring findProgram(const std::wstring& name) {
    const std::wstring folders = searchPath();
    std::wstring found(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = ::SearchPathW(folders.c_str(), name.c_str(), L".exe",
                                           static_cast<DWORD>(found.size()), found.data(), nullptr);
        if (length == 0) return {};
        if (length < found.size()) {
            found.resize(length);
            // A folder of that name is no program.
            const DWORD attributes = ::GetFileAttributesW(found.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                return {};
            }
            return found;
        }
        found.assign(length, L'\0');
    }
    return {};
}

}  // namespace morvane

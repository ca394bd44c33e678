#include "platform/win/drive_caption.h"

#include <windows.h>
#include <winnetwk.h>

#include <cctype>

#include "platform/win/wide.h"

namespace morvane {
namespace {

// The share that a network drive stands for, or the empty text.
std::wstring networkShare(wchar_t letter) {
    const wchar_t drive[] = {letter, L':', L'\0'};
    std::wstring share(MAX_PATH, L'\0');
    DWORD length = static_cast<DWORD>(share.size());
    DWORD result = ::WNetGetConnectionW(drive, share.data(), &length);
    if (result == ERROR_MORE_DATA) {
        share.assign(length, L'\0');
        result = ::WNetGetConnectionW(drive, share.data(), &length);
    }
    if (result != NO_ERROR) return {};
    share.resize(share.find(L'\0') == std::wstring::npos ? share.size() : share.find(L'\0'));
    return share;
}

std::wstring volumeLabel(wchar_t letter) {
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    wchar_t label[MAX_PATH + 1] = {};
    // A drive without media answers with an error instead of a box.
    DWORD previous = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous);
    const BOOL ok =
        ::GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0);
    ::SetThreadErrorMode(previous, nullptr);
    return ok ? std::wstring(label) : std::wstring();
}

}  // namespace

std::string driveCaption(char letter) {
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    const auto wideLetter = static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(letter)));
    std::string caption{lower, ':'};
    std::wstring detail = networkShare(wideLetter);
    if (detail.empty()) detail = volumeLabel(wideLetter);
    if (!detail.empty()) caption += " [" + toUtf8(detail) + "]";
    return caption;
}

}  // namespace morvane

#include "app/win32/drive_combo.h"

#include <algorithm>
#include <cctype>

#include "platform/drives.h"
#include "platform/win/drive_caption.h"
#include "platform/win/wide.h"

namespace morvane {

void DriveCombo::attach(HWND control, const DriveTable& drives) {
    control_ = control;
    ::SendMessageW(control_, CB_RESETCONTENT, 0, 0);
    letters_ = drives.letters();
    for (char letter : letters_) {
        const std::wstring caption = toWide(driveCaption(letter));
        ::SendMessageW(control_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(caption.c_str()));
    }
    showDrive(drives.startDrive());
}

std::string DriveCombo::drive() const {
    const LRESULT index = ::SendMessageW(control_, CB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<std::size_t>(index) >= letters_.size()) return {};
    return {letters_[static_cast<std::size_t>(index)], ':'};
}

bool DriveCombo::showDrive(char letter) {
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    const auto it = std::find(letters_.begin(), letters_.end(), lower);
    if (it == letters_.end()) return false;
    // CB_SETCURSEL sends no CBN_SELCHANGE: no change is reported.
    ::SendMessageW(control_, CB_SETCURSEL, static_cast<WPARAM>(it - letters_.begin()), 0);
    return true;
}

}  // namespace morvane

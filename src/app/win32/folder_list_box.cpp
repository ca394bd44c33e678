#include "app/win32/folder_list_box.h"

#include <shellapi.h>

#include <algorithm>

#include "app/win32/list_order.h"
#include "platform/drives.h"
#include "platform/failure.h"
#include "platform/win/wide.h"

namespace morvane {

namespace {

// The shell's small folder icon, open or closed, as Explorer shows it.
HICON folderIcon(bool open) {
    SHFILEINFOW info{};
    UINT flags = SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES;
    if (open) flags |= SHGFI_OPENICON;
    if (::SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags) == 0) {
        return nullptr;
    }
    return info.hIcon;
}

int scaled(int pixels, int dpi) {
    return ::MulDiv(pixels, dpi, 96);
}

}  // namespace

FolderListBox::FolderListBox() : openIcon_(folderIcon(true)), closedIcon_(folderIcon(false)) {}

FolderListBox::~FolderListBox() {
    if (openIcon_ != nullptr) ::DestroyIcon(openIcon_);
    if (closedIcon_ != nullptr) ::DestroyIcon(closedIcon_);
}

void FolderListBox::attach(HWND control, const DriveTable& drives) {
    control_ = control;
    drives_ = &drives;
    const char start = drives.startDrive();
    try {
        const ResolvedFolder folder = resolve(drives.currentFolder(start));
        path_ = folder.program;
        show(folder);
    } catch (const std::exception&) {
        // An unreadable start folder: the path stands, without entries.
        path_ = rootOf(start);
        ::SendMessageW(control_, LB_RESETCONTENT, 0, 0);
        entries_.clear();
    }
}

ResolvedFolder FolderListBox::resolve(const std::string& requested) const {
    if (drives_ == nullptr) throw Failure(err::kPathNotFound);
    ResolvedFolder folder = resolveFolder(*drives_, path_, requested);
    std::vector<std::wstring> names;
    for (const std::string& n : folder.subFolders) names.push_back(toWide(n));
    std::sort(names.begin(), names.end(), listsBefore);
    for (std::size_t i = 0; i < names.size(); ++i) folder.subFolders[i] = toUtf8(names[i]);
    return folder;
}

void FolderListBox::show(const ResolvedFolder& folder) {
    ::SendMessageW(control_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(control_, LB_RESETCONTENT, 0, 0);
    entries_ = folderEntries(folder);
    for (const FolderEntry& e : entries_) {
        ::SendMessageW(control_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(e.text).c_str()));
    }
    ::SendMessageW(control_, LB_SETCURSEL, folder.names.size(), 0);
    ::SendMessageW(control_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(control_, nullptr, TRUE);
}

void FolderListBox::setPath(const std::string& requested) {
    const ResolvedFolder folder = resolve(requested);
    const bool changed = folder.program != path_;
    path_ = folder.program;
    show(folder);
    if (changed && pathChanged_) pathChanged_();
}

void FolderListBox::openHighlighted() {
    const LRESULT row = ::SendMessageW(control_, LB_GETCURSEL, 0, 0);
    if (row < 0 || static_cast<std::size_t>(row) >= entries_.size()) return;
    try {
        setPath(entries_[static_cast<std::size_t>(row)].path);
    } catch (const Failure& f) {
        if (openFailed_) openFailed_(f.description());
    } catch (const std::exception& e) {
        if (openFailed_) openFailed_(e.what());
    }
}

void FolderListBox::setItemHeight(int dpi) {
    dpi_ = dpi;
    HDC dc = ::GetDC(control_);
    HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control_, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(control_, dc);
    const int height = std::max<int>(metrics.tmHeight, scaled(16, dpi)) + scaled(1, dpi);
    ::SendMessageW(control_, LB_SETITEMHEIGHT, 0, height);
}

void FolderListBox::draw(const DRAWITEMSTRUCT& item) const {
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= entries_.size()) return;
    const FolderEntry& entry = entries_[item.itemID];
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    ::FillRect(dc, &r, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    const int icon = scaled(16, dpi_);
    const int indent = static_cast<int>(entry.level) * scaled(8, dpi_) + scaled(2, dpi_);
    HICON picture = entry.open ? openIcon_ : closedIcon_;
    if (picture != nullptr) {
        ::DrawIconEx(dc, r.left + indent, r.top + (r.bottom - r.top - icon) / 2, picture, icon,
                     icon, 0, nullptr, DI_NORMAL);
    }
    RECT text = r;
    text.left += indent + icon + scaled(4, dpi_);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::wstring caption = toWide(entry.text);
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if ((item.itemState & ODS_FOCUS) != 0) ::DrawFocusRect(dc, &r);
}

}  // namespace morvane

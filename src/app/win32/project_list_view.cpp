#include "app/win32/project_list_view.h"

#include <commctrl.h>

#include <algorithm>

#include "app/win32/list_order.h"
#include "platform/failure.h"
#include "platform/win/wide.h"

namespace morvane {

namespace {

constexpr UINT kUnchecked = INDEXTOSTATEIMAGEMASK(1), kChecked = INDEXTOSTATEIMAGEMASK(2);

}  // namespace

void ProjectListView::attach(HWND control) {
    control_ = control;
    ListView_SetExtendedListViewStyleEx(control_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                                        LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    ListView_InsertColumn(control_, 0, &column);
    fitColumn();
}

void ProjectListView::fitColumn() {
    RECT client{};
    ::GetClientRect(control_, &client);
    ListView_SetColumnWidth(control_, 0, client.right - client.left);
}

void ProjectListView::clear() {
    ListView_DeleteAllItems(control_);
    entries_.clear();
}

void ProjectListView::replaceEntries(const std::vector<std::string>& texts) {
    std::vector<std::wstring> wide;
    wide.reserve(texts.size());
    for (const std::string& t : texts) wide.push_back(toWide(t));
    std::stable_sort(wide.begin(), wide.end(), listsBefore);

    ::SendMessageW(control_, WM_SETREDRAW, FALSE, 0);
    clear();
    ListView_SetItemCount(control_, static_cast<int>(wide.size()));
    entries_.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_STATE;
        item.iItem = static_cast<int>(i);
        item.pszText = wide[i].data();
        item.state = kUnchecked;
        item.stateMask = LVIS_STATEIMAGEMASK;
        ListView_InsertItem(control_, &item);
        entries_.push_back(toUtf8(wide[i]));
    }
    ::SendMessageW(control_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(control_, nullptr, TRUE);
}

void ProjectListView::checkIndex(int index) const {
    if (index < 0 || index >= count()) throw Failure(err::kInvalidPropertyIndex);
}

std::string ProjectListView::entryText(int index) const {
    checkIndex(index);
    return entries_[static_cast<std::size_t>(index)];
}

bool ProjectListView::isMarked(int index) const {
    checkIndex(index);
    return ListView_GetItemState(control_, index, LVIS_STATEIMAGEMASK) == kChecked;
}

void ProjectListView::setMarked(int index, bool marked) {
    checkIndex(index);
    ListView_SetItemState(control_, index, marked ? kChecked : kUnchecked, LVIS_STATEIMAGEMASK);
}

}  // namespace morvane

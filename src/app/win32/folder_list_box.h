// Dir1 on Win32: an owner-drawn list box that shows the folders of its path
// from the drive's root down, open, then the current folder's sub-folders,
// closed, each with the system's folder icon and indented by its level
// (resolved and listed by folder_tree.h). A double-click or Return opens the
// highlighted entry; the arrow keys only move the highlight. Every change of
// the path, by the user or by the program, is reported.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/folder_tree.h"

namespace morvane {

class DriveTable;

class FolderListBox {
  public:
    FolderListBox();
    ~FolderListBox();
    FolderListBox(const FolderListBox&) = delete;
    FolderListBox& operator=(const FolderListBox&) = delete;

    // Takes over a list box made by the window and shows the start drive's
    // current folder, without reporting a change.
    void attach(HWND control, const DriveTable& drives);
    HWND handle() const { return control_; }

    // Called after each change of the path, and with a failure's description
    // when an entry the user opened cannot be shown.
    void onPathChanged(std::function<void()> handler) { pathChanged_ = std::move(handler); }
    void onOpenFailed(std::function<void(const std::string&)> handler) {
        openFailed_ = std::move(handler);
    }

    std::string path() const { return path_; }
    // As FormControls::setFolderPath: throws the platform's Failure and then
    // keeps the path and entries it had.
    void setPath(const std::string& path);
    // Opens the highlighted entry as the user does; failures are reported.
    void openHighlighted();

    // The window's WM_MEASUREITEM and WM_DRAWITEM for this list.
    void setItemHeight(int dpi);
    void draw(const DRAWITEMSTRUCT& item) const;

  private:
    ResolvedFolder resolve(const std::string& requested) const;
    void show(const ResolvedFolder& folder);

    HWND control_ = nullptr;
    const DriveTable* drives_ = nullptr;
    std::string path_;
    std::vector<FolderEntry> entries_;
    HICON openIcon_ = nullptr;
    HICON closedIcon_ = nullptr;
    int dpi_ = 96;
    std::function<void()> pathChanged_;
    std::function<void(const std::string&)> openFailed_;
};

}  // namespace morvane

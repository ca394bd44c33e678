// List1 on Win32: a list view in report mode with a check box on every
// entry and no column header. Entries stay sorted (letter case ignored); an
// entry is marked exactly when its box is checked. Space and a click on the
// box mark an entry, a click on the text only highlights it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace morvane {

class ProjectListView {
  public:
    // Takes over a list view control made by the window.
    void attach(HWND control);
    HWND handle() const { return control_; }

    void clear();
    // Every entry replaced by these, unmarked, sorted in one go.
    void replaceEntries(const std::vector<std::string>& texts);

    int count() const { return static_cast<int>(entries_.size()); }
    std::string entryText(int index) const;  // Failure 381 past the end
    bool isMarked(int index) const;          // Failure 381 past the end
    void setMarked(int index, bool marked);  // Failure 381 past the end

    // The one column fills the client area (after a change of size or DPI).
    void fitColumn();

  private:
    void checkIndex(int index) const;

    HWND control_ = nullptr;
    std::vector<std::string> entries_;  // the list's texts, in its order
};

}  // namespace morvane

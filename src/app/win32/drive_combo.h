// Drive1 on Win32: a drop-down list of the machine's drives, each captioned
// as Windows programs show a drive ("c: [ETIQUETA]"); its value is the
// selected drive as text ("c:").
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace morvane {

class DriveTable;

class DriveCombo {
  public:
    // Takes over a combo box made by the window, fills it with the table's
    // drives and selects the start drive, without reporting a change.
    void attach(HWND control, const DriveTable& drives);
    HWND handle() const { return control_; }

    std::string drive() const;  // empty when there is no drive
    // Selects a drive (either case) without reporting a change; false when
    // the list does not hold it.
    bool showDrive(char letter);

  private:
    HWND control_ = nullptr;
    std::vector<char> letters_;  // in the list's order
};

}  // namespace morvane

// What the window's behaviour needs of its controls beyond what a run uses
// (MainForm): the drive list, the folder list, the project list's entries,
// the screen and the window's place on it. Each toolkit's window implements
// it with its own controls; FormLogic holds the behaviour.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace morvane {

// In pixels of the display, as the toolkit moves windows.
struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
};
struct PixelSize {
    int width = 0, height = 0;
};

class FormControls {
  public:
    virtual ~FormControls() = default;

    // Drive1: the selected drive as text ("c:"), and selecting one (either
    // case) without reporting a change.
    virtual std::string selectedDrive() const = 0;
    virtual void showDrive(char letter) = 0;

    // Dir1: sets the path (a folder, or a drive alone for that drive's current
    // folder). Throws the platform's Failure and then keeps the path it had;
    // a change of path is reported to FormLogic::folderChanged before it
    // returns.
    virtual void setFolderPath(const std::string& path) = 0;

    // List1: every entry removed; or every entry replaced by these, unmarked,
    // in the list's sorted order.
    virtual void clearProjects() = 0;
    virtual void setProjects(const std::vector<std::string>& entries) = 0;

    // The screen the window is on, whole (task bars included); none when the
    // toolkit knows of no screen.
    virtual std::optional<PixelRect> screenArea() = 0;
    // The window's outer size, border and title bar included where known.
    virtual PixelSize outerSize() = 0;
    // Dots per inch of the display that the pixels above are counted in.
    virtual int dotsPerInch() const = 0;
    // Moves the window's outer top left corner, keeping its size.
    virtual void moveWindow(int left, int top) = 0;

    // A run ended the program by unwinding instead of exiting (tests): the
    // window goes away as if the program had ended.
    virtual void closeAfterProgramEnded() = 0;
};

}  // namespace morvane

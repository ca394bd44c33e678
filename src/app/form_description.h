// Form1 as stored: the window and its 15 controls with every setting that
// differs from a toolkit's defaults. Each toolkit builds its window from this
// one description, so a caption, a position or a tab index changes here only.
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "app/form_controls.h"

namespace morvane {

enum class ControlKind {
    CommandButton,
    OptionButton,  // the members of one control array form one group
    TextBox,       // single line
    DriveList,
    FolderList,
    ListBox,
    Label,
};

enum class TextAlignment { Left, Center };

struct FontDescription {
    std::string_view family;
    int points;
    bool bold = false;
    bool italic = false;
};

// A text box that holds text of any length: 0, as the target platform's edit
// control takes its limit (a toolkit whose default limit is lower lifts it).
inline constexpr int kNoLengthLimit = 0;

// Position and size in twips, from the client area's top left corner.
struct TwipRect {
    int left, top, width, height;
};

// The settings a control has beyond its name, caption, place and tab index.
struct ControlSettings {
    std::optional<FontDescription> font = std::nullopt;  // none: the window's font
    bool selected = false;                               // option buttons
    int maxLength = kNoLengthLimit;                      // text boxes
    TextAlignment alignment = TextAlignment::Left;       // labels
    bool wraps = false;       // labels: the caption breaks into lines at the width
    bool sorted = false;      // list boxes: entries kept in alphabetical order
    bool checkBoxes = false;  // list boxes: a check box on every entry
};

struct ControlDescription {
    std::string_view name;
    int index;  // within its control array; -1 for a control of its own
    ControlKind kind;
    // The caption (with '&' before the access key), or the initial text.
    std::string_view caption;
    TwipRect place;
    int tabIndex;  // labels hold one but never take the focus
    ControlSettings settings = {};
};

struct WindowDescription {
    std::string_view name;
    std::string_view caption;       // the title bar
    int clientWidth, clientHeight;  // twips; the window is not resized
    FontDescription font;
    std::span<const ControlDescription> controls;  // in the order they are stored
};

// The program's only window.
const WindowDescription& form1Description();

// The control of that name and index (-1 outside an array); none when the
// window has no such control.
const ControlDescription* findControl(const WindowDescription& window, std::string_view name,
                                      int index = -1);

// Whether a control of this kind can take the focus.
bool takesFocus(ControlKind kind);

// The controls that can take the focus, by tab index.
std::vector<const ControlDescription*> tabOrder(const WindowDescription& window);

// The access key of a caption: the letter after a single '&', in lower case;
// '\0' when there is none ("&&" stands for an ampersand itself).
char accessKey(std::string_view caption);

// Place and size in pixels at a display's dots per inch, each value rounded
// on its own.
PixelRect pixelsOf(const ControlDescription& control, int dotsPerInch);
PixelSize clientPixels(const WindowDescription& window, int dotsPerInch);

}  // namespace morvane

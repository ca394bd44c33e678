// A window's widgets on Qt, made from its description: each control kind as
// the Qt widget that stands for it, placed at 96 dots per inch (Qt counts in
// device-independent pixels), with its caption, font, settings and the tab
// order of the tab indexes.
//
// Provides: command buttons that Enter never presses, the option group,
// single-line text boxes without a length limit, the drive, folder and
// sorted check-box lists, plain-text labels. Does not provide: the option
// group's focus rule and the status line's painting (Form1 adds them).
#pragma once

#include <QString>

#include "app/form_description.h"

class QWidget;

namespace morvane {

// Creates every control of `description` as a child of `window`, in the
// stored order, and sets up the window itself: its fixed client size, font,
// title and tab order.
void buildWidgets(QWidget& window, const WindowDescription& description);

// The object name of a control's widget: its name, followed by "_" and its
// index within a control array ("CmdOK", "OptTipo_1").
QString objectNameOf(const ControlDescription& control);

}  // namespace morvane

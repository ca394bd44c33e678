// Dots per inch on Windows 7 to 11: the functions of later versions
// (per-monitor awareness, the DPI of a window) are looked up at run time, and
// the system's DPI stands in where they are missing.
#pragma once

#include <windows.h>

namespace morvane {

// Makes the process per-monitor DPI aware (v2 where there is one, else v1,
// else system aware). Call before any window is created; the manifest asks
// for the same, so a failure here is harmless.
void enableDpiAwareness();

// The DPI of the monitor a window is on; the system's DPI where Windows
// cannot tell per window.
int dpiOfWindow(HWND window);

// The outer rectangle of a window with this client rectangle and styles at a
// DPI (AdjustWindowRectExForDpi where present).
RECT outerRectFor(RECT client, DWORD style, DWORD exStyle, int dpi);

// A system metric at a DPI (GetSystemMetricsForDpi where present, else the
// metric at the system's DPI scaled).
int systemMetricFor(int index, int dpi);

}  // namespace morvane

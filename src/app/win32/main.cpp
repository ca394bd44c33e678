// Morvane on Windows: the window over the Windows host's files, processes
// and the Win32 toolkit.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <exception>

#include "app/win32/form1_window.h"
#include "platform/drives.h"
#include "platform/host_components.h"
#include "platform/host_files.h"
#include "platform/processes/host_processes.h"
#include "platform/services.h"
#include "platform/win/wide.h"
#include "platform/win32/dpi.h"
#include "platform/win32/win32_toolkit.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    using namespace morvane;
    enableDpiAwareness();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);

    try {
        DriveTable drives = DriveTable::fromHost();
        HostFileServices files(drives);
        HostComponents components(drives);
        HostProcesses processes;
        Win32Toolkit toolkit;
        Win32Form1 form(drives);
        form.create();

        Services services{files, components, processes, toolkit, form};
        form.setServices(services);
        toolkit.setMainWindow(form.handle());
        toolkit.setMessageFilter([&form](MSG& message) { return form.filterMessage(message); });
        // The cancel ends the program at once; the files still open are
        // closed (and written out) first.
        toolkit.setBeforeEnd([&files] {
            for (int n = 1; n <= HostFileServices::kMaxFileNumber; ++n) {
                try {
                    if (files.isOpen(n)) files.close(n);
                } catch (...) {
                }
            }
        });

        form.Form_Load();
        form.show(showCommand);
        return toolkit.runMessageLoop();
    } catch (const std::exception& e) {
        ::MessageBoxW(nullptr, toWide(e.what()).c_str(),
                      toWide(Win32Toolkit::kApplicationTitle).c_str(), MB_OK | MB_ICONHAND);
        return 1;
    }
}

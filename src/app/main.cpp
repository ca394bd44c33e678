// Morvane: the window over the host's files, processes and Qt.
#include <QApplication>
#include <QLocale>
#include <cstdio>

#include "app/display_check.h"
#include "app/form1.h"
#include "platform/drives.h"
#include "platform/host_components.h"
#include "platform/host_files.h"
#include "platform/processes/host_processes.h"
#include "platform/qt/qt_standard_icons.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_translations.h"
#include "platform/services.h"

int main(int argc, char** argv) {
    using namespace morvane;
    if (!hasDisplay()) {
        std::fputs(noDisplayMessage().c_str(), stderr);
        return 1;
    }
    QApplication app(argc, argv);
    auto* style = new CachedIconsStyle;  // the application owns it
    QApplication::setStyle(style);
    QApplication::setApplicationName(QtToolkit::kApplicationTitle);
    installQtTranslations(app, QLocale::system());

    DriveTable drives = DriveTable::fromHost();
    HostFileServices files(drives);
    HostComponents components(drives);
    HostProcesses processes;
    QtToolkit toolkit;
    Form1 form(drives);
    QApplication::setWindowIcon(form.windowIcon());

    Services services{files, components, processes, toolkit, form};
    form.setServices(services);
    toolkit.setParentWindow(&form);
    // The cancel ends the program at once; the files still open are closed
    // (and written out) first.
    toolkit.setBeforeEnd([&files] {
        for (int n = 1; n <= HostFileServices::kMaxFileNumber; ++n) {
            try {
                if (files.isOpen(n)) files.close(n);
            } catch (...) {
            }
        }
    });

    form.Form_Load();
    form.show();
    // The boxes are made ready while the user reads the window.
    afterFirstPaint(form, [style, &toolkit] {
        style->prepareBoxIcons();
        toolkit.prepareBoxes();
    });
    return app.exec();
}

#include "app/icono.h"

#include <QPixmap>

namespace morvane {

namespace {
// The same files the resources hold (and the install puts in the desktop's
// icon folders), compiled in as XPM data.
#include "app/resources/icon-16x16-16.xpm"
#include "app/resources/icon-32x32-16.xpm"
#include "app/resources/icon-32x32-2.xpm"
}  // namespace

QIcon iconoVentana() {
    QIcon icon;
    for (const char* const* xpm : {icon_32x32_2, icon_32x32_16, icon_16x16_16}) {
        icon.addPixmap(QPixmap(xpm));
    }
    return icon;
}

}  // namespace morvane

// The window's icon in its three images (32x32 in two colours, 32x32 and
// 16x16 in sixteen).
#pragma once

#include <QIcon>

namespace morvane {

// Built from the images compiled into the program: reading them as files
// would make Qt load and probe every image-format plugin at start-up.
QIcon iconoVentana();

}  // namespace morvane

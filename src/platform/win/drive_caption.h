// How Windows programs name a drive in a drive list.
#pragma once

#include <string>

namespace morvane {

// "c: [ETIQUETA]" for a drive with a volume label, "x: [\\servidor\recurso]"
// for a network drive, the letter alone ("a:") for a drive without a label or
// without media. Asking never brings up Windows' "insert a disk" box.
std::string driveCaption(char letter);

}  // namespace morvane

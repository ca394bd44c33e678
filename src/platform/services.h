// Everything a batch run reaches outside its own code.
#pragma once

#include "platform/components.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "platform/toolkit.h"

namespace morvane {

struct Services {
    FileServices& files;
    Components& components;
    ProcessServices& processes;
    Toolkit& toolkit;
    MainForm& form;
};

}  // namespace morvane

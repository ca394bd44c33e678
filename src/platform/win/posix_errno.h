// errno values that the Linux table of failures names and that the Windows C
// runtime does not define. Nothing on Windows sets them: they are defined
// here, past the runtime's own values, only so that the shared table builds.
#pragma once

#include <errno.h>

#ifndef EDQUOT
#define EDQUOT 1001
#endif
#ifndef ESTALE
#define ESTALE 1002
#endif
#ifndef EHOSTDOWN
#define EHOSTDOWN 1003
#endif
#ifndef ENOMEDIUM
#define ENOMEDIUM 1004
#endif

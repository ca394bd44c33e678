#pragma once

#include <string>

namespace morvane {

// The folder path with a trailing backslash: appends one unless the path
// already ends in a backslash (a forward slash does not count). The argument is
// changed too, and equals the result afterwards.
std::string VerificaBarra(std::string& Ruta);

}  // namespace morvane

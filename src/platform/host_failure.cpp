#include "platform/host_failure.h"

#include <sys/stat.h>

#include <cerrno>

namespace morvane {

Failure failureOfPath(int errnoValue, const std::filesystem::path& hostPath) {
    if (errnoValue == ENOENT) {
        const std::filesystem::path folder = hostPath.parent_path();
        struct stat st;
        if (!folder.empty() && (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))) {
            return Failure(err::kPathNotFound);
        }
    }
    return failureFromErrno(errnoValue);
}

}  // namespace morvane

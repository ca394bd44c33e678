#include "platform/win/long_path.h"

#include "platform/failure.h"
#include "platform/reserved_names.h"
#include "platform/win/wide.h"

namespace morvane {
namespace {

// Folders must leave room for an 8.3 name below them, hence 248, not 260.
constexpr std::size_t kClassicLimit = 248;
// The longest name of one file or folder (NTFS, FAT32's long names).
constexpr std::size_t kLongestName = 255;

}  // namespace

std::wstring apiPath(const std::filesystem::path& hostPath) {
    // The \\?\ form takes no `/`, `.` or `..`: the path is made plain first.
    std::wstring path = hostPath.lexically_normal().native();
    if (path.size() < kClassicLimit || path.starts_with(L"\\\\?\\")) return path;
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
    if (path.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + path.substr(2);
    return path;  // a relative path has no long form
}

std::wstring apiFilePath(const std::filesystem::path& hostPath) {
    const std::wstring wideName = hostPath.filename().native();
    // Longer than a file system takes: the name is unusable, as on Linux.
    if (wideName.size() > kLongestName) throw Failure(err::kPathFileAccess);
    const std::string name = toUtf8(wideName);
    if (isReservedDeviceName(name) || endsInDotOrSpace(name)) throw Failure(err::kBadFileNumber);
    return apiPath(hostPath);
}

}  // namespace morvane

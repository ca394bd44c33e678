// A temporary host folder that tests map to a drive letter, so program paths
// such as C:\Proyectos\Ventas.vbp resolve inside it, plus byte-exact helpers
// to make and read files there.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/drives.h"

namespace morvane::testing {

class TempFolder {
public:
    TempFolder() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "morvane-XXXXXX").string();
        if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = tmpl;
    }
    ~TempFolder() {
        std::error_code ec;
        // Tests may leave folders without permissions behind; give them back first.
        for (auto it = std::filesystem::recursive_directory_iterator(
                 path_, std::filesystem::directory_options::skip_permission_denied, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec);
        }
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& rel) const { return path_ / rel; }

private:
    std::filesystem::path path_;
};

// Writes the bytes exactly, creating the folders on the way.
inline void writeBytes(const std::filesystem::path& file, std::string_view bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

// The file's bytes exactly.
inline std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A drive table with only `letter` mapped to a fresh temporary folder, which
// is also the start drive.
class TempDrive {
public:
    explicit TempDrive(char letter = 'c') : letter_(letter) {
        drives_.map(letter, folder_.path());
        drives_.setStartDrive(letter);
    }
    DriveTable& drives() { return drives_; }
    const std::filesystem::path& root() const { return folder_.path(); }
    // The host path of a path relative to the drive's root, written with '/'.
    std::filesystem::path host(const std::string& rel) const { return folder_ / rel; }

private:
    char letter_;
    TempFolder folder_;
    DriveTable drives_;
};

// The folder of real project files shared beside the repository, or the
// empty path when this checkout has none beside it.
inline std::filesystem::path corpusFolder() {
#ifdef MORVANE_CORPUS_DIR
    std::filesystem::path p = MORVANE_CORPUS_DIR;
    std::error_code ec;
    if (std::filesystem::is_directory(p, ec)) return p;
#endif
    return {};
}

}  // namespace morvane::testing

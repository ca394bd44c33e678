// Program paths to host paths over a small real folder tree: whatever the
// path ("..", ".", doubled separators, other drives, odd bytes), the host path
// lies inside the folder of the drive that the path names, never above it,
// and holds no "." or ".." of its own; an unmapped drive is failure 76.
// A host path inside a drive also comes back to itself through its program
// path.
//
// Input: byte 0 chooses the current folder of drive C (its root or a folder
// below it); the rest is either taken as the path as it is (when byte 0 is
// odd) or read as a list of tokens: names from the tree in any case,
// separators, "..", ".", drive prefixes.
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_check.h"
#include "platform/drives.h"
#include "platform/failure.h"

namespace fs = std::filesystem;

namespace {

using morvane::fuzz::shown;

// A tree made once per process and removed when it ends:
//   <tmp>/c/Proyectos/Sub/App.vbp, <tmp>/c/Proyectos/Ventas.vbp, <tmp>/c/enlace -> ../fuera
//   <tmp>/d/Otros.vbp
//   <tmp>/fuera/secreto.txt       (beside the drives, reached by no program path)
struct Tree {
    fs::path root;
    morvane::DriveTable drives;

    Tree() {
        std::string tmpl = (fs::temp_directory_path() / "morvane-fuzz-XXXXXX").string();
        FUZZ_CHECK(::mkdtemp(tmpl.data()) != nullptr);
        root = tmpl;
        fs::create_directories(root / "c/Proyectos/Sub");
        fs::create_directories(root / "d");
        fs::create_directories(root / "fuera");
        for (const char* f : {"c/Proyectos/Sub/App.vbp", "c/Proyectos/Ventas.vbp", "d/Otros.vbp",
                              "fuera/secreto.txt"}) {
            std::ofstream(root / f) << "x";
        }
        fs::create_directory_symlink("../fuera", root / "c/enlace");
        drives.map('c', root / "c");
        drives.map('d', root / "d");
        drives.setStartDrive('c');
    }
    ~Tree() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Tree& tree() {
    static Tree t;
    return t;
}

const char* const kTokens[] = {
    "\\",    "/",           "..",      ".",       "Proyectos",  "PROYECTOS", "proyectos",
    "Sub",   "sUB",         "App.vbp", "APP.VBP", "Ventas.vbp", "Otros.vbp", "enlace",
    "fuera", "secreto.txt", "c:",      "C:",      "d:",         "z:",        "...",
    " ",     "a:b",         "\\\\",    "..\\..",  "x",
};
constexpr std::size_t kTokenCount = sizeof kTokens / sizeof kTokens[0];

// Whether `path` is `folder` or lies below it, comparing whole names.
bool inside(const fs::path& folder, const fs::path& path) {
    auto f = folder.begin();
    auto p = path.begin();
    for (; f != folder.end(); ++f, ++p) {
        if (p == path.end() || *f != *p) return false;
    }
    for (; p != path.end(); ++p) {
        if (*p == ".." || *p == ".") return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    Tree& t = tree();
    morvane::DriveTable drives = t.drives;
    if (data[0] & 2) drives.setCurrentFolder('c', "c:\\Proyectos\\Sub");

    std::string path;
    if (data[0] & 1) {
        path.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
    } else {
        for (std::size_t i = 1; i < size; ++i) path += kTokens[data[i] % kTokenCount];
    }

    // The drive the path names, else the start drive.
    char letter = 'c';
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        letter = static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
    }

    fs::path host;
    try {
        host = drives.toHost(path);
    } catch (const morvane::Failure& f) {
        // Only a drive that is not mapped may refuse the path.
        FUZZ_CHECK(f.number() == morvane::err::kPathNotFound);
        FUZZ_CHECK(!drives.hasDrive(letter));
        return 0;
    }
    FUZZ_CHECK(drives.hasDrive(letter));
    const fs::path folder = drives.hostFolder(letter);
    if (!inside(folder, host)) {
        std::fprintf(stderr, "path \"%s\" gave \"%s\", outside \"%s\"\n", shown(path).c_str(),
                     shown(host.string()).c_str(), folder.c_str());
    }
    FUZZ_CHECK(inside(folder, host));

    // Back and forth: the program path of the host path names the same file.
    if (path.find('\0') == std::string::npos) {
        const std::string program = drives.toProgram(host);
        const fs::path again = drives.toHost(program);
        if (again != host) {
            std::fprintf(stderr, "path \"%s\" gave \"%s\", program path \"%s\" gave \"%s\"\n",
                         shown(path).c_str(), host.c_str(), shown(program).c_str(), again.c_str());
        }
        FUZZ_CHECK(again == host);
    }
    return 0;
}

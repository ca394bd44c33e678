// The per-host part of the contract suite: drive c: mapped to a fresh
// temporary folder, the host's own services over it, and byte-exact helpers
// that work on the folder directly, past the services under test.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host_components.h"
#include "platform/host_files.h"
#include "platform/processes/host_processes.h"
#include "support/temp_drive.h"

namespace morvane::testing {

class HostFolder {
  public:
    // The program path of a path below the folder ("a/b.vbp" is C:\a\b.vbp).
    std::string program(const std::string& rel) const;
    // The host path of a UTF-8 path below the folder.
    std::filesystem::path host(const std::string& rel) const;

    void make(const std::string& rel, std::string_view bytes) const {
        writeBytes(host(rel), bytes);
    }
    void makeFolder(const std::string& rel) const {
        std::filesystem::create_directories(host(rel));
    }
    std::string read(const std::string& rel) const { return readBytes(host(rel)); }
    bool exists(const std::string& rel) const;
    // The UTF-8 names in a folder below this one, sorted.
    std::vector<std::string> names(const std::string& rel = "") const;

    TempDrive drive;
    HostFileServices files{drive.drives()};
    HostComponents components{drive.drives()};
};

// The number of the failure that an action throws, 0 when it throws none. A
// failure must come with its number's standard description.
int failureOf(const std::function<void()>& action);

// Every name of a listing, sorted.
std::vector<std::string> listNames(FileServices& files, const std::string& pattern,
                                   int attributes = attr::kNormal);

// The folder that holds the contract's child program.
std::filesystem::path childFolder();
// Puts a folder first on the PATH of this process and of what it starts.
void prependToPath(const std::filesystem::path& folder);
// The host path as a UTF-8 text, for a command line.
std::string utf8(const std::filesystem::path& path);

}  // namespace morvane::testing

#include "contract/host_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "platform/failure.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace morvane::testing {

std::string HostFolder::program(const std::string& rel) const {
    std::string path = "C:\\" + rel;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

fs::path HostFolder::host(const std::string& rel) const {
    return drive.root() / fs::path(std::u8string(rel.begin(), rel.end()));
}

bool HostFolder::exists(const std::string& rel) const {
    std::error_code ec;
    return fs::exists(fs::symlink_status(host(rel), ec));
}

int failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Failure& f) {
        EXPECT_EQ(f.description(), standardDescription(f.number())) << f.number();
        return f.number();
    }
    return 0;
}

std::vector<std::string> listNames(FileServices& files, const std::string& pattern,
                                   int attributes) {
    std::vector<std::string> names;
    for (std::string n = files.dir(pattern, attributes); !n.empty(); n = files.dirNext()) {
        names.push_back(n);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::vector<std::string> HostFolder::names(const std::string& rel) const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(rel.empty() ? drive.root() : host(rel))) {
        found.push_back(utf8(entry.path().filename()));
    }
    std::sort(found.begin(), found.end());
    return found;
}

#ifdef _WIN32

fs::path childFolder() {
    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return fs::path(self).parent_path() / "child";
}

void prependToPath(const fs::path& folder) {
    std::wstring path(32768, L'\0');
    path.resize(::GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
    ::SetEnvironmentVariableW(L"PATH", (folder.native() + L";" + path).c_str());
}

#else

fs::path childFolder() {
    return fs::read_symlink("/proc/self/exe").parent_path() / "child";
}

void prependToPath(const fs::path& folder) {
    const char* path = std::getenv("PATH");
    ::setenv("PATH", (folder.string() + ":" + (path != nullptr ? path : "")).c_str(), 1);
}

#endif

}  // namespace morvane::testing

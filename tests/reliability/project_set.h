// A folder of project files with known contents, and the promise the rewrite
// keeps whatever happens to it: every project file's content from before the
// run still exists byte for byte under its own name or under its backup name,
// and the file under the project's name is never a half-written one.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "ops/replace.h"
#include "platform/failure.h"
#include "support/scripted_window.h"
#include "support/temp_drive.h"

namespace morvane::testing {

// What the rewrite makes of a content when it succeeds: every line (ended by
// CR or CR LF; a lone LF stays inside) with its occurrences replaced, then
// CR LF. Used to tell a complete rewrite from a partial one.
inline std::string rewritten(const std::string& content, const std::string& buscar,
                             const std::string& reemplazo) {
    std::string out;
    std::string line;
    bool open = false;
    auto finish = [&] {
        BuscarYReemplazar(line, buscar, reemplazo);
        out += line;
        out += "\r\n";
        line.clear();
        open = false;
    };
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\r') {
            finish();
            if (i + 1 < content.size() && content[i + 1] == '\n') ++i;
        } else {
            line += content[i];
            open = true;
        }
    }
    if (open) finish();
    return out;
}

// A project file's content of about `size` bytes: lines of a real project
// file, some holding the search text "Comun" in any case, with all three kinds
// of line ends, and now and then a NUL or a byte of the upper half.
inline std::string projectContent(std::size_t size, std::uint32_t seed) {
    static const char* const kLines[] = {
        "Type=Exe",
        "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#..\\stdole2.tlb#OLE",
        "Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; MSCOMCTL.OCX",
        "Module=Comun; ..\\Comun\\Comun.bas",
        "Form=frmPrincipal.frm",
        "Class=clsCOMUN; ..\\comun\\clsComun.cls",
        "Name=\"Ventas\"",
        "ExeName32=\"Ventas.exe\"",
        "Description=\"Facturaci\xf3n y cobranzas\"",
    };
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < size) {
        s += kLines[rng() % (sizeof kLines / sizeof kLines[0])];
        switch (rng() % 16) {
            case 0:
                s += '\r';
                break;
            case 1:
                s += '\n';
                break;  // stays inside the line
            case 2:
                s += '\0';
                s += "\r\n";
                break;
            default:
                s += "\r\n";
                break;
        }
    }
    return s;
}

class ProjectSet {
  public:
    // Project files live in `folder`, which is C:\<programFolder> of the run.
    ProjectSet(std::filesystem::path folder, std::string programFolder)
        : folder_(std::move(folder)), programFolder_(std::move(programFolder)) {
        std::filesystem::create_directories(folder_);
    }

    void add(const std::string& name, const std::string& content) {
        writeBytes(folder_ / name, content);
        originals_[name] = content;
    }

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path file(const std::string& name) const { return folder_ / name; }
    std::string programPath(const std::string& name) const {
        return "C:\\" + programFolder_ + "\\" + name;
    }
    const std::map<std::string, std::string>& originals() const { return originals_; }

    // Lists every project file in the form, checked, in the list's order.
    void listAll(ScriptedForm& form) const {
        for (const auto& [name, content] : originals_) form.add(programPath(name), true);
    }

    static std::string backupName(const std::string& name) {
        return name.substr(0, name.size() - 4) + ".OLD";
    }

    // The projects whose content before the run is under neither its name
    // nor its backup name.
    std::vector<std::string> lost() const {
        std::vector<std::string> out;
        for (const auto& [name, content] : originals_) {
            if (bytesOf(name) != content && bytesOf(backupName(name)) != content)
                out.push_back(name);
        }
        return out;
    }

    // The projects whose own name holds something other than their content
    // before the run or its complete rewrite (a missing file is not one).
    std::vector<std::string> halfWritten(const std::string& buscar,
                                         const std::string& reemplazo) const {
        std::vector<std::string> out;
        for (const auto& [name, content] : originals_) {
            const auto now = bytesOf(name);
            if (now && *now != content && *now != rewritten(content, buscar, reemplazo))
                out.push_back(name);
        }
        return out;
    }

    // Whether the project now holds its complete rewrite and its backup the
    // content before the run.
    bool wasRewritten(const std::string& name, const std::string& buscar,
                      const std::string& reemplazo) const {
        const std::string& content = originals_.at(name);
        return bytesOf(name) == rewritten(content, buscar, reemplazo) &&
               bytesOf(backupName(name)) == content;
    }

    // The bytes of a file of the folder, or nothing when there is no such file.
    std::optional<std::string> bytesOf(const std::string& name) const {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(folder_ / name, ec)) return std::nullopt;
        return readBytes(folder_ / name);
    }

  private:
    std::filesystem::path folder_;
    std::string programFolder_;
    std::map<std::string, std::string> originals_;
};

// Everything the test wants to say about a list of names.
inline std::string joined(const std::vector<std::string>& names) {
    std::string s;
    for (const auto& n : names) s += (s.empty() ? "" : ", ") + n;
    return s;
}

}  // namespace morvane::testing

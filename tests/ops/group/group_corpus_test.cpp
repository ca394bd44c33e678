// Group files written for folders of real projects, compared with the group
// files that the development environment itself wrote for those folders.
// The projects are linked into a temporary folder, never copied, and nothing
// is written beside the real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "ops/group/group_fixture.h"
#include "platform/text.h"

namespace morvane::testing {
namespace {

namespace fs = std::filesystem;

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool hasExtension(const fs::path& p, const std::string& ext) {
    return lower(p.extension().string()) == ext;
}

// The lines of a file, its line ends (CR LF or LF) removed.
std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
        start = end + 1;
    }
    return out;
}

// The lines of a file that ends every line, the last included, in CR LF and
// has no other CR or LF.
std::vector<std::string> crlfLines(const std::string& bytes) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "a line without CR LF";
        if (end == std::string::npos) break;
        std::string line = bytes.substr(start, end - start);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        out.push_back(line);
        start = end + 2;
    }
    return out;
}

// The folder's project files, linked into the run's folder and listed as
// the project list holds them: full paths, sorted without regard to case.
std::vector<std::string> linkProjects(GroupRun& run, const fs::path& from) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(from)) {
        if (!e.is_regular_file() || !hasExtension(e.path(), ".vbp")) continue;
        fs::create_symlink(e.path(), run.folder() / e.path().filename());
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return lower(a) < lower(b); });
    return names;
}

struct Split {
    std::string key;
    std::string value;
};

Split splitLine(const std::string& line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return {line, {}};
    return {line.substr(0, eq), line.substr(eq + 1)};
}

std::vector<fs::path> corpusGroupFiles(const fs::path& corpus) {
    std::vector<fs::path> out;
    for (const auto& e : fs::recursive_directory_iterator(corpus)) {
        if (e.is_regular_file() && hasExtension(e.path(), ".vbg")) out.push_back(e.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST(GroupCorpus, MatchesTheRealGroupFilesOfTheSameFolders) {
    const fs::path corpus = corpusFolder();
    if (corpus.empty()) GTEST_SKIP() << "the shared corpus folder is not beside this checkout";

    int compared = 0;
    for (const fs::path& vbg : corpusGroupFiles(corpus)) {
        SCOPED_TRACE(vbg.string());
        const std::vector<std::string> real = lines(readBytes(vbg));
        // Every real group file has the format that the run writes.
        ASSERT_FALSE(real.empty());
        EXPECT_EQ(real[0], "VBGROUP 5.0");
        std::set<std::string> local;  // projects of the group that sit in its folder
        for (std::size_t i = 1; i < real.size(); ++i) {
            const Split s = splitLine(real[i]);
            EXPECT_TRUE(s.key == "Project" || s.key == "StartupProject") << real[i];
            const std::string name = ansiToUtf8(s.value);
            if (name.find_first_of("\\/") == std::string::npos) local.insert(lower(name));
        }

        GroupRun run;
        const std::vector<std::string> names = linkProjects(run, vbg.parent_path());
        // A real group may spell a project otherwise than its file is stored
        // (machine.vbp for MACHINE.VBP): the projects are matched without
        // regard to letter case, and the run writes the stored spelling.
        std::vector<std::string> expected;
        for (const std::string& n : names) {
            const bool marked = local.count(lower(n)) > 0;
            run.form.add("C:\\Proyectos\\" + n, marked);
            if (marked) expected.push_back(n);
        }
        if (expected.empty()) continue;  // none of its projects sits beside it
        ++compared;

        run.toolkit.inputs = {"Comparado"};
        run.press();
        EXPECT_EQ(run.toolkit.boxes, std::vector<Box>{finalizadoBox()});
        const std::string written = readBytes(run.folder() / "Comparado.vbG");
        const std::string realBytes = readBytes(vbg);
        if (realBytes.compare(0, 13, "VBGROUP 5.0\r\n") == 0) {
            EXPECT_EQ(written.substr(0, 13), realBytes.substr(0, 13));
        }
        const std::vector<std::string> ours = crlfLines(written);
        ASSERT_EQ(ours.size(), expected.size() + 1);
        EXPECT_EQ(ours[0], real[0]);
        for (std::size_t i = 1; i < ours.size(); ++i) {
            const Split s = splitLine(ours[i]);
            EXPECT_EQ(s.key, i == 1 ? "StartupProject" : "Project");
            EXPECT_EQ(s.value, expected[i - 1]);
        }
    }
    EXPECT_GT(compared, 5) << "too few real group files to compare with";
}

// Every folder of real projects, every project marked: each name is written
// as it is stored, in the 8-bit code page; a name the code page cannot hold
// is reported once and its line left ending after the "=".
TEST(GroupCorpus, EveryFolderWithEveryProjectMarked) {
    const fs::path corpus = corpusFolder();
    if (corpus.empty()) GTEST_SKIP() << "the shared corpus folder is not beside this checkout";

    std::set<fs::path> folders;
    for (const auto& e : fs::recursive_directory_iterator(corpus)) {
        if (e.is_regular_file() && hasExtension(e.path(), ".vbp"))
            folders.insert(e.path().parent_path());
    }
    int reported = 0;
    for (const fs::path& from : folders) {
        SCOPED_TRACE(from.string());
        GroupRun run;
        const std::vector<std::string> names = linkProjects(run, from);
        std::string expected;
        std::size_t unfit = 0;
        for (std::size_t i = 0; i < names.size(); ++i) {
            run.form.add("C:\\Proyectos\\" + names[i], true);
            expected += i == 0 ? "VBGROUP 5.0\r\nStartupProject=" : "Project=";
            if (fitsAnsi(names[i])) {
                expected += utf8ToAnsi(names[i]);
            } else {
                ++unfit;
                run.toolkit.answers.push_back(mb::kIgnore);
            }
            expected += "\r\n";
        }
        run.toolkit.inputs = {"Todos"};
        run.press();

        EXPECT_EQ(readBytes(run.folder() / "Todos.vbG"), expected);
        ASSERT_EQ(run.toolkit.boxes.size(), unfit + 1);
        for (std::size_t i = 0; i < unfit; ++i) {
            EXPECT_EQ(run.toolkit.boxes[i].style, mb::kAbortRetryIgnoreCritical);
            EXPECT_EQ(run.toolkit.boxes[i].text.rfind("El nombre del proyecto", 0), 0u);
        }
        EXPECT_EQ(run.toolkit.boxes.back(), finalizadoBox());
        reported += static_cast<int>(unfit);
    }
    EXPECT_GT(folders.size(), 50u);
    // The corpus has project names in scripts that Windows-1252 lacks.
    EXPECT_GT(reported, 0);
}

}  // namespace
}  // namespace morvane::testing

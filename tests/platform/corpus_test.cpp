// The shared folder of real project files: every folder of it lists as the
// host holds it, and every file goes through the line reader and writer with
// its content unchanged apart from the line ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/host_files.h"
#include "platform/text.h"
#include "support/temp_drive.h"

namespace fs = std::filesystem;

namespace morvane {
namespace {

using testing::corpusFolder;
using testing::readBytes;

// The bytes that writing the lines of `original` gives: every CR LF and
// every lone CR becomes CR LF, and a last line without an end gets one.
std::string withCrLfLineEnds(const std::string& original) {
    std::string out;
    for (std::size_t i = 0; i < original.size(); ++i) {
        if (original[i] != '\r') {
            out.push_back(original[i]);
            continue;
        }
        out += "\r\n";
        if (i + 1 < original.size() && original[i + 1] == '\n') ++i;
    }
    if (!original.empty() && original.back() != '\r' && !original.ends_with("\r\n")) out += "\r\n";
    return out;
}

std::vector<std::string> hostNames(const fs::path& folder, bool projectsOnly) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        if (name.front() == '.') continue;
        std::string ext = name.size() >= 4 ? name.substr(name.size() - 4) : "";
        if (projectsOnly && !textEquals(ext, ".vbp")) continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Corpus, EveryFolderListsItsProjectFiles) {
    const fs::path corpus = corpusFolder();
    if (corpus.empty()) GTEST_SKIP() << "no corpus folder beside this checkout";
    DriveTable drives;
    drives.map('c', corpus);
    HostFileServices files(drives);
    int folders = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_directory()) continue;
        const std::string program = drives.toProgram(entry.path());
        std::vector<std::string> listed;
        for (std::string n = files.dir(program + "\\*.vbp", attr::kNormal); !n.empty();
             n = files.dirNext()) {
            listed.push_back(n);
        }
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, hostNames(entry.path(), true)) << program;
        ++folders;
    }
    EXPECT_GT(folders, 0);
}

TEST(Corpus, EveryFileRoundTripsThroughTheLineReaderAndWriter) {
    const fs::path corpus = corpusFolder();
    if (corpus.empty()) GTEST_SKIP() << "no corpus folder beside this checkout";
    DriveTable drives;
    drives.map('c', corpus);
    testing::TempDrive scratch('d');
    drives.map('d', scratch.root());
    HostFileServices files(drives);
    int count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file()) continue;
        const std::string program = drives.toProgram(entry.path());
        files.openForInput(program, 1);
        files.openForOutput("D:\\copia.txt", 2);
        while (!files.eof(1)) files.printLine(2, files.lineInput(1));
        files.close(1);
        files.close(2);
        const std::string original = readBytes(entry.path());
        ASSERT_EQ(readBytes(scratch.host("copia.txt")), withCrLfLineEnds(original)) << program;
        ++count;
    }
    EXPECT_GT(count, 600);
}

}  // namespace
}  // namespace morvane

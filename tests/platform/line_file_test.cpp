// Reading and writing sequential text files line by line, on real files.
#include "platform/line_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "case_names.h"
#include "platform/failure.h"
#include "platform/host_files.h"
#include "platform/posix_file.h"
#include "support/temp_drive.h"

namespace morvane {
namespace {

using testing::readBytes;
using testing::TempDrive;
using testing::writeBytes;

using Lines = std::vector<std::string>;

// Every line of a program file, read the way the program reads it.
Lines readLines(FileServices& files, const std::string& name) {
    const int number = files.freeFile();
    files.openForInput(name, number);
    Lines lines;
    while (!files.eof(number)) lines.push_back(files.lineInput(number));
    files.close(number);
    return lines;
}

// Sizes around the reader's buffer, so that a line end falls on its edge.
constexpr std::size_t kEdge = 256 * 1024;

struct Reading {
    const char* name;
    std::string bytes;
    Lines lines;
};

// Names the case in test listings and failure messages.
void PrintTo(const Reading& c, std::ostream* out) {
    std::ostringstream text;
    text << c.name;
    *out << testing::caseName(text.str());
}

class LineReading : public ::testing::TestWithParam<Reading> {};

TEST_P(LineReading, LinesEndAtCrOrCrLf) {
    TempDrive drive;
    HostFileServices files(drive.drives());
    writeBytes(drive.host("a.vbp"), GetParam().bytes);
    EXPECT_EQ(readLines(files, "C:\\a.vbp"), GetParam().lines);
}

const std::string kNul("a\0b", 3);

INSTANTIATE_TEST_SUITE_P(
    Table, LineReading,
    ::testing::Values(
        Reading{"EmptyFileEndsAtOnce", "", {}}, Reading{"LastLineNeedsNoEnd", "a", {"a"}},
        Reading{"CrLf", "a\r\nb\r\n", {"a", "b"}}, Reading{"Cr", "a\rb\r", {"a", "b"}},
        Reading{"CrOnly", "\r", {""}}, Reading{"TwoCrs", "\r\r", {"", ""}},
        Reading{"CrLfOnly", "\r\n", {""}}, Reading{"LoneLfStaysInTheLine", "a\nb", {"a\nb"}},
        Reading{"LfOnlyFileIsOneLine", "a\nb\n", {"a\nb\n"}}, Reading{"Lf", "\n", {"\n"}},
        Reading{"LfBeforeCrLf", "a\n\r\nb", {"a\n", "b"}},
        Reading{"LfAfterCrLf", "a\r\n\nb", {"a", "\nb"}},
        Reading{"CrCrLf", "a\r\r\nb", {"a", "", "b"}}, Reading{"EmptyLines", "\r\n\r\n", {"", ""}},
        Reading{"BytesKeptAsTheyAre",
                "Versi\xF3n=\x81\x8D\x8F\x90\x9D\xFF\r\n" + kNul,
                {"Versi\xF3n=\x81\x8D\x8F\x90\x9D\xFF", kNul}},
        Reading{"CrLfAcrossTheBufferEdge",
                std::string(kEdge - 1, 'a') + "\r\nb",
                {std::string(kEdge - 1, 'a'), "b"}},
        Reading{"CrLfRightAfterTheBufferEdge",
                std::string(kEdge, 'a') + "\r\nb",
                {std::string(kEdge, 'a'), "b"}},
        Reading{"CrAtTheVeryEndOfABuffer",
                std::string(kEdge - 1, 'a') + "\r",
                {std::string(kEdge - 1, 'a')}},
        Reading{"LineLongerThanTheBuffer",
                std::string(3 * kEdge + 7, 'x') + "\r\ny",
                {std::string(3 * kEdge + 7, 'x'), "y"}}),
    [](const ::testing::TestParamInfo<Reading>& info) { return std::string(info.param.name); });

TEST(LineFiles, ReadingPastTheEndFails) {
    TempDrive drive;
    HostFileServices files(drive.drives());
    writeBytes(drive.host("a.vbp"), "a\r\n");
    files.openForInput("C:\\a.vbp", 1);
    EXPECT_EQ(files.lineInput(1), "a");
    EXPECT_TRUE(files.eof(1));
    try {
        files.lineInput(1);
        ADD_FAILURE() << "read past the end";
    } catch (const Failure& f) {
        EXPECT_EQ(f.number(), err::kInputPastEnd);
    }
    files.close(1);
}

struct Writing {
    const char* name;
    Lines lines;
    std::string bytes;
};

// Names the case in test listings and failure messages.
void PrintTo(const Writing& c, std::ostream* out) {
    std::ostringstream text;
    text << c.name;
    *out << testing::caseName(text.str());
}

class LineWriting : public ::testing::TestWithParam<Writing> {};

TEST_P(LineWriting, EveryLineEndsWithCrLf) {
    TempDrive drive;
    HostFileServices files(drive.drives());
    files.openForOutput("C:\\b.vbp", 7);
    for (const std::string& line : GetParam().lines) files.printLine(7, line);
    files.close(7);
    EXPECT_EQ(readBytes(drive.host("b.vbp")), GetParam().bytes);
}

std::string manyLines(Lines* lines) {
    std::string bytes;
    for (int i = 0; i < 50000; ++i) {
        const std::string line = "Linea " + std::to_string(i) + " \xF1";
        if (lines) lines->push_back(line);
        bytes += line + "\r\n";
    }
    return bytes;
}

Lines manyLinesOnly() {
    Lines lines;
    manyLines(&lines);
    return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Table, LineWriting,
    ::testing::Values(Writing{"NoLines", {}, ""}, Writing{"OneEmptyLine", {""}, "\r\n"},
                      Writing{"TwoLines", {"a", "b"}, "a\r\nb\r\n"},
                      Writing{"LfInsideALine", {"a\nb"}, "a\nb\r\n"},
                      Writing{"AnsiBytes", {"\x80\x81\xF1\x9D"}, "\x80\x81\xF1\x9D\r\n"},
                      Writing{"ManyBuffersFull", manyLinesOnly(), manyLines(nullptr)}),
    [](const ::testing::TestParamInfo<Writing>& info) { return std::string(info.param.name); });

TEST(LineFiles, WrittenLinesReadBackTheSame) {
    TempDrive drive;
    HostFileServices files(drive.drives());
    const Lines lines = {"Type=Exe", "", "Name=\"Ventas\"", "a\nb", std::string(kEdge + 3, 'z')};
    files.openForOutput("C:\\c.vbp", 1);
    for (const std::string& line : lines) files.printLine(1, line);
    files.close(1);
    EXPECT_EQ(readLines(files, "c:\\C.VBP"), lines);
}

// /dev/full takes nothing: the buffered lines fail when they are written out.
TEST(LineFiles, AFullDiskIsReportedWhenTheLinesGoOut) {
    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (fd < 0) GTEST_SKIP() << "this host has no /dev/full";
    LineWriter writer(posixFile(fd));
    writer.writeLine("Type=Exe");
    try {
        writer.close();
        ADD_FAILURE() << "the lines went nowhere without a failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.number(), err::kDiskFull);
        EXPECT_EQ(f.description(), "Disco lleno");
    }
}

TEST(LineFiles, AFullDiskFailsTheLineThatFillsTheBuffer) {
    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (fd < 0) GTEST_SKIP() << "this host has no /dev/full";
    LineWriter writer(posixFile(fd));
    const std::string line(1000, 'x');
    int failures = 0;
    for (int i = 0; i < 1000 && failures == 0; ++i) {
        try {
            writer.writeLine(line);
        } catch (const Failure& f) {
            EXPECT_EQ(f.number(), err::kDiskFull);
            ++failures;
        }
    }
    EXPECT_EQ(failures, 1);
}

}  // namespace
}  // namespace morvane

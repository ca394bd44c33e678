// The contract of the file services, the same on every host: line files read
// and written byte for byte, the file-number pool, deleting and renaming.
#include <gtest/gtest.h>

#include <string>

#include "contract/host_folder.h"
#include "platform/failure.h"

namespace morvane::testing {
namespace {

// Every byte value but the line ends, so that a line holds them all.
std::string everyByteButLineEnds() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n') bytes += static_cast<char>(b);
    }
    return bytes;
}

class Files : public ::testing::Test {
  protected:
    HostFolder folder;
    FileServices& files = folder.files;

    std::vector<std::string> readAll(const std::string& rel) {
        std::vector<std::string> lines;
        files.openForInput(folder.program(rel), 1);
        while (!files.eof(1)) lines.push_back(files.lineInput(1));
        files.close(1);
        return lines;
    }
};

struct LineCase {
    const char* label;
    std::string bytes;
    std::vector<std::string> lines;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.label;
}

class LineReading : public Files, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineReading, GivesTheLinesOfTheFile) {
    folder.make("a.vbp", GetParam().bytes);
    EXPECT_EQ(readAll("a.vbp"), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Contract, LineReading,
    ::testing::Values(LineCase{"CrLf", "Type=Exe\r\nName=\"A\"\r\n", {"Type=Exe", "Name=\"A\""}},
                      LineCase{"LoneCr", "a\rb\r", {"a", "b"}},
                      LineCase{"LoneLfInsideTheLine", "a\nb\r\nc", {"a\nb", "c"}},
                      LineCase{"LastLineWithoutEnd", "a\r\nb", {"a", "b"}},
                      LineCase{"EmptyLines", "\r\n\r\n", {"", ""}},
                      LineCase{"CrCrLf", "a\r\r\nb", {"a", "", "b"}}, LineCase{"Empty", "", {}},
                      LineCase{
                          "EveryByte", everyByteButLineEnds() + "\r\n", {everyByteButLineEnds()}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Files, LinesAreWrittenByteForByteWithCrLf) {
    files.openForOutput(folder.program("out.vbp"), 3);
    files.printLine(3, "Type=Exe");
    files.printLine(3, everyByteButLineEnds());
    files.printLine(3, "");
    files.close(3);
    EXPECT_EQ(folder.read("out.vbp"), "Type=Exe\r\n" + everyByteButLineEnds() + "\r\n\r\n");
}

TEST_F(Files, ALongFileStreamsThroughWholeLines) {
    std::string bytes;
    for (int i = 0; i < 60000; ++i) bytes += "Linea numero " + std::to_string(i) + "\r\n";
    folder.make("big.vbp", bytes);
    const auto lines = readAll("big.vbp");
    ASSERT_EQ(lines.size(), 60000u);
    EXPECT_EQ(lines[59999], "Linea numero 59999");
    files.openForOutput(folder.program("copy.vbp"), 1);
    for (const auto& line : lines) files.printLine(1, line);
    files.close(1);
    EXPECT_EQ(folder.read("copy.vbp"), bytes);
}

TEST_F(Files, OutputReplacesAnExistingFileInAnyLetterCase) {
    folder.make("Grupo.vbg", "antiguo contenido\r\n");
    files.openForOutput(folder.program("GRUPO.VBG"), 1);
    files.printLine(1, "nuevo");
    files.close(1);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"Grupo.vbg"});
    EXPECT_EQ(folder.read("Grupo.vbg"), "nuevo\r\n");
}

TEST_F(Files, UnicodeNamesReachTheFileWithItsBytesUnchanged) {
    const std::string name = "Año contable ñandú €.vbp";
    folder.make(name, "Name=\"A\xF1o\x80\"\r\n");
    EXPECT_EQ(readAll(name), std::vector<std::string>{"Name=\"A\xF1o\x80\""});
    files.openForOutput(folder.program("Copia " + name), 1);
    files.printLine(1, "\xF1\x80");
    files.close(1);
    EXPECT_EQ(folder.read("Copia " + name), "\xF1\x80\r\n");
}

TEST_F(Files, NumbersComeFromOnePoolOf255) {
    folder.make("a.vbp", "x\r\n");
    EXPECT_EQ(files.freeFile(), 1);
    for (int n = 1; n <= 255; ++n) files.openForInput(folder.program("a.vbp"), n);
    EXPECT_EQ(failureOf([&] { files.freeFile(); }), err::kTooManyFiles);
    files.close(7);
    EXPECT_EQ(files.freeFile(), 7);
    EXPECT_FALSE(files.isOpen(7));
    EXPECT_TRUE(files.isOpen(8));
}

struct MisuseCase {
    const char* label;
    std::function<void(FileServices&, const HostFolder&)> action;
    int failure;
};

void PrintTo(const MisuseCase& c, std::ostream* os) {
    *os << c.label;
}

class Misuse : public Files, public ::testing::WithParamInterface<MisuseCase> {};

TEST_P(Misuse, FailsWithTheNumberOfTheCondition) {
    folder.make("a.vbp", "x\r\n");
    folder.makeFolder("Carpeta.vbp");
    EXPECT_EQ(failureOf([&] { GetParam().action(files, folder); }), GetParam().failure);
}

INSTANTIATE_TEST_SUITE_P(
    Contract, Misuse,
    ::testing::Values(
        MisuseCase{
            "NumberZero",
            [](FileServices& f, const HostFolder& d) { f.openForInput(d.program("a.vbp"), 0); },
            err::kBadFileNumber},
        MisuseCase{
            "Number256",
            [](FileServices& f, const HostFolder& d) { f.openForInput(d.program("a.vbp"), 256); },
            err::kBadFileNumber},
        MisuseCase{"NumberInUse",
                   [](FileServices& f, const HostFolder& d) {
                       f.openForInput(d.program("a.vbp"), 4);
                       f.openForOutput(d.program("b.vbp"), 4);
                   },
                   err::kFileAlreadyOpen},
        MisuseCase{"ReadingAFileBeingWritten",
                   [](FileServices& f, const HostFolder& d) {
                       f.openForOutput(d.program("b.vbp"), 1);
                       f.openForInput(d.program("b.vbp"), 2);
                   },
                   err::kFileAlreadyOpen},
        MisuseCase{"WritingAFileBeingRead",
                   [](FileServices& f, const HostFolder& d) {
                       f.openForInput(d.program("a.vbp"), 1);
                       f.openForOutput(d.program("A.VBP"), 2);
                   },
                   err::kFileAlreadyOpen},
        MisuseCase{"ClosedNumber", [](FileServices& f, const HostFolder&) { f.lineInput(9); },
                   err::kBadFileNumber},
        MisuseCase{"ReadingAnOutputFile",
                   [](FileServices& f, const HostFolder& d) {
                       f.openForOutput(d.program("b.vbp"), 1);
                       f.lineInput(1);
                   },
                   err::kBadFileMode},
        MisuseCase{"WritingAnInputFile",
                   [](FileServices& f, const HostFolder& d) {
                       f.openForInput(d.program("a.vbp"), 1);
                       f.printLine(1, "x");
                   },
                   err::kBadFileMode},
        MisuseCase{"ReadingPastTheEnd",
                   [](FileServices& f, const HostFolder& d) {
                       f.openForInput(d.program("a.vbp"), 1);
                       f.lineInput(1);
                       f.lineInput(1);
                   },
                   err::kInputPastEnd},
        MisuseCase{
            "MissingFile",
            [](FileServices& f, const HostFolder& d) { f.openForInput(d.program("no.vbp"), 1); },
            err::kFileNotFound},
        MisuseCase{
            "MissingFolder",
            [](FileServices& f, const HostFolder& d) { f.openForInput(d.program("No/a.vbp"), 1); },
            err::kPathNotFound},
        MisuseCase{
            "OutputInAMissingFolder",
            [](FileServices& f, const HostFolder& d) { f.openForOutput(d.program("No/a.vbp"), 1); },
            err::kPathNotFound},
        MisuseCase{"FolderForInput",
                   [](FileServices& f, const HostFolder& d) {
                       f.openForInput(d.program("Carpeta.vbp"), 1);
                   },
                   err::kPathFileAccess},
        MisuseCase{"FolderForOutput",
                   [](FileServices& f, const HostFolder& d) {
                       f.openForOutput(d.program("Carpeta.vbp"), 1);
                   },
                   err::kPathFileAccess},
        MisuseCase{"KillMissing",
                   [](FileServices& f, const HostFolder& d) { f.kill(d.program("no.vbp")); },
                   err::kFileNotFound},
        MisuseCase{"KillFolder",
                   [](FileServices& f, const HostFolder& d) { f.kill(d.program("Carpeta.vbp")); },
                   err::kPathFileAccess},
        MisuseCase{"RenameMissing",
                   [](FileServices& f, const HostFolder& d) {
                       f.rename(d.program("no.vbp"), d.program("b.vbp"));
                   },
                   err::kFileNotFound},
        MisuseCase{"RenameOntoAnExistingName",
                   [](FileServices& f, const HostFolder& d) {
                       f.openForOutput(d.program("b.vbp"), 1);
                       f.close(1);
                       f.rename(d.program("a.vbp"), d.program("b.vbp"));
                   },
                   err::kFileExists},
        MisuseCase{"RenameOntoTheNameInOtherLetters",
                   [](FileServices& f, const HostFolder& d) {
                       f.rename(d.program("a.vbp"), d.program("A.VBP"));
                   },
                   err::kFileExists},
        MisuseCase{"RenameIntoAMissingFolder",
                   [](FileServices& f, const HostFolder& d) {
                       f.rename(d.program("a.vbp"), d.program("No/a.vbp"));
                   },
                   err::kPathNotFound},
        MisuseCase{"NextWithoutAListing", [](FileServices& f, const HostFolder&) { f.dirNext(); },
                   err::kInvalidCall}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Files, ARefusedRenameLeavesBothFilesAsTheyWere) {
    folder.make("a.vbp", "uno\r\n");
    folder.make("b.vbp", "dos\r\n");
    EXPECT_EQ(failureOf([&] { files.rename(folder.program("a.vbp"), folder.program("B.vbp")); }),
              err::kFileExists);
    EXPECT_EQ(folder.read("a.vbp"), "uno\r\n");
    EXPECT_EQ(folder.read("b.vbp"), "dos\r\n");
}

TEST_F(Files, RenameMovesTheFileAndItsBytes) {
    folder.make("Ventas.vbp", "Type=Exe\r\n\xF1\r\n");
    folder.makeFolder("Copias");
    files.rename(folder.program("Ventas.vbp"), folder.program("Ventas.OLD"));
    files.rename(folder.program("Ventas.OLD"), folder.program("Copias/Ventas ñ.OLD"));
    EXPECT_EQ(folder.names(), std::vector<std::string>{"Copias"});
    EXPECT_EQ(folder.read("Copias/Ventas ñ.OLD"), "Type=Exe\r\n\xF1\r\n");
}

TEST_F(Files, KillRemovesTheFile) {
    folder.make("a.vbp", "x");
    files.kill(folder.program("A.Vbp"));
    EXPECT_FALSE(folder.exists("a.vbp"));
}

TEST_F(Files, ANumberIsFreeAgainAfterClose) {
    folder.make("a.vbp", "x\r\n");
    files.openForInput(folder.program("a.vbp"), 5);
    files.close(5);
    EXPECT_FALSE(files.isOpen(5));
    files.openForOutput(folder.program("a.vbp"), 5);
    files.close(5);
    EXPECT_EQ(folder.read("a.vbp"), "");
}

}  // namespace
}  // namespace morvane::testing

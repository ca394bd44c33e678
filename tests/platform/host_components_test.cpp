// The text-file component: OpenTextFile for reading, ReadAll, and reading in
// pieces with Read and AtEndOfStream.
#include "platform/host_components.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>

#include "case_names.h"
#include "platform/failure.h"
#include "support/temp_drive.h"

namespace morvane {
namespace {

using testing::TempDrive;
using testing::writeBytes;

int openFailure(Components& components, const std::string& name, int mode) {
    try {
        components.createFileSystemObject()->OpenTextFile(name, mode);
    } catch (const Failure& f) {
        EXPECT_FALSE(f.description().empty());
        return f.number();
    }
    return 0;
}

struct Content {
    const char* name;
    std::string bytes;
};

// Names the case in test listings and failure messages.
void PrintTo(const Content& c, std::ostream* out) {
    std::ostringstream text;
    text << c.name;
    *out << testing::caseName(text.str());
}

class ReadAllContents : public ::testing::TestWithParam<Content> {};

TEST_P(ReadAllContents, GivesTheExactBytes) {
    TempDrive drive;
    HostComponents components(drive.drives());
    writeBytes(drive.host("Proyectos/Ventas.vbp"), GetParam().bytes);
    auto fso = components.createFileSystemObject();
    auto stream = fso->OpenTextFile("c:\\PROYECTOS\\ventas.VBP", iomode::kForReading);
    EXPECT_EQ(stream->ReadAll(), GetParam().bytes);
    stream->Close();
}

std::string everyByte() {
    std::string bytes;
    for (int round = 0; round < 3; ++round) {
        for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadAllContents,
    ::testing::Values(Content{"Empty", ""}, Content{"OneByte", "x"},
                      Content{"Lines", "Type=Exe\r\nName=\"Ventas\"\r\nlf\nsolo\rfin"},
                      Content{"EveryByte", everyByte()},
                      Content{"Large", std::string(3 * 1024 * 1024 + 17, 'v')}),
    [](const ::testing::TestParamInfo<Content>& info) { return std::string(info.param.name); });

TEST(HostComponents, OpeningFailsCleanly) {
    TempDrive drive;
    HostComponents components(drive.drives());
    writeBytes(drive.host("Proyectos/Ventas.vbp"), "x");
    EXPECT_EQ(openFailure(components, "C:\\Proyectos\\Falta.vbp", iomode::kForReading),
              err::kFileNotFound);
    EXPECT_EQ(openFailure(components, "C:\\Falta\\Ventas.vbp", iomode::kForReading),
              err::kPathNotFound);
    EXPECT_EQ(openFailure(components, "C:\\Proyectos", iomode::kForReading), err::kPathFileAccess);
    EXPECT_EQ(openFailure(components, "C:\\Proyectos\\Ventas.vbp\\x", iomode::kForReading),
              err::kPathNotFound);
    EXPECT_EQ(openFailure(components, "C:\\Proyectos\\Ventas.vbp", 2), err::kInvalidCall);
}

TEST(HostComponents, EachObjectAndStreamStandsAlone) {
    TempDrive drive;
    HostComponents components(drive.drives());
    writeBytes(drive.host("a.vbp"), "uno");
    writeBytes(drive.host("b.vbp"), "dos");
    auto first = components.createFileSystemObject()->OpenTextFile("C:\\a.vbp", 1);
    auto second = components.createFileSystemObject()->OpenTextFile("C:\\b.vbp", 1);
    EXPECT_EQ(second->ReadAll(), "dos");
    EXPECT_EQ(first->ReadAll(), "uno");
    EXPECT_EQ(first->ReadAll(), "");  // all of it was read
    first->Close();
    try {
        first->ReadAll();
        ADD_FAILURE() << "read a closed stream";
    } catch (const Failure& f) {
        EXPECT_EQ(f.number(), err::kBadFileNumber);
    }
}

// Reading in pieces: each piece as long as asked for, only the last one
// shorter, and the end known right after the last character, also when the
// file's length is a whole number of pieces.
struct Pieces {
    const char* name;
    std::size_t fileSize;
    std::size_t pieceSize;
};

void PrintTo(const Pieces& c, std::ostream* out) {
    *out << c.name;
}

class ReadInPieces : public ::testing::TestWithParam<Pieces> {};

TEST_P(ReadInPieces, GivesTheExactBytesInPiecesOfTheSizeAskedFor) {
    const Pieces& c = GetParam();
    TempDrive drive;
    HostComponents components(drive.drives());
    std::string bytes;
    for (std::size_t i = 0; i < c.fileSize; ++i) bytes.push_back(static_cast<char>(i * 7 % 251));
    writeBytes(drive.host("Proyectos/Ventas.vbp"), bytes);
    auto stream = components.createFileSystemObject()->OpenTextFile("C:\\Proyectos\\Ventas.vbp", 1);
    std::string read, piece = "left over from before";
    while (!stream->AtEndOfStream()) {
        stream->Read(c.pieceSize, piece);
        const std::size_t left = c.fileSize - read.size();
        ASSERT_EQ(piece.size(), std::min(c.pieceSize, left)) << "after " << read.size();
        read += piece;
    }
    EXPECT_EQ(read, bytes);
    stream->Read(c.pieceSize, piece);
    EXPECT_EQ(piece, "");  // nothing after the end
    EXPECT_TRUE(stream->AtEndOfStream());
    stream->Close();
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadInPieces,
    ::testing::Values(Pieces{"EmptyFile", 0, 16}, Pieces{"OneByte", 1, 16},
                      Pieces{"ShorterThanAPiece", 15, 16}, Pieces{"ExactlyOnePiece", 16, 16},
                      Pieces{"OneByteMore", 17, 16}, Pieces{"WholePieces", 64, 16},
                      Pieces{"OneBytePieces", 5, 1}, Pieces{"LargePieces", 300000, 128 * 1024},
                      Pieces{"LargeWholePieces", 256 * 1024, 128 * 1024}),
    [](const ::testing::TestParamInfo<Pieces>& info) { return std::string(info.param.name); });

TEST(HostComponents, PiecesAndTheRestReadTogetherGiveTheFile) {
    TempDrive drive;
    HostComponents components(drive.drives());
    writeBytes(drive.host("a.vbp"), "Type=Exe\r\nName=\"Ventas\"\r\n");
    auto stream = components.createFileSystemObject()->OpenTextFile("C:\\a.vbp", 1);
    std::string piece;
    stream->Read(10, piece);
    EXPECT_EQ(piece, "Type=Exe\r\n");
    EXPECT_FALSE(stream->AtEndOfStream());
    EXPECT_EQ(stream->ReadAll(), "Name=\"Ventas\"\r\n");
    EXPECT_TRUE(stream->AtEndOfStream());
}

// A file that grows while it is read is read on, in pieces as whole.
TEST(HostComponents, AFileThatGrowsIsReadOn) {
    TempDrive drive;
    HostComponents components(drive.drives());
    const auto host = drive.host("a.vbp");
    writeBytes(host, "uno");
    auto pieces = components.createFileSystemObject()->OpenTextFile("C:\\a.vbp", 1);
    auto whole = components.createFileSystemObject()->OpenTextFile("C:\\a.vbp", 1);
    std::string piece;
    pieces->Read(3, piece);
    EXPECT_EQ(piece, "uno");
    {
        std::ofstream out(host, std::ios::binary | std::ios::app);
        out << "dos";
    }
    EXPECT_FALSE(pieces->AtEndOfStream());
    pieces->Read(100, piece);
    EXPECT_EQ(piece, "dos");
    EXPECT_TRUE(pieces->AtEndOfStream());
    EXPECT_EQ(whole->ReadAll(), "unodos");
}

TEST(HostComponents, AClosedStreamReadsNothing) {
    TempDrive drive;
    HostComponents components(drive.drives());
    writeBytes(drive.host("a.vbp"), "uno");
    auto stream = components.createFileSystemObject()->OpenTextFile("C:\\a.vbp", 1);
    stream->Close();
    const auto failureOf = [](const std::function<void()>& call) {
        try {
            call();
        } catch (const Failure& f) {
            return f.number();
        }
        return 0;
    };
    std::string piece;
    EXPECT_EQ(failureOf([&] { stream->Read(10, piece); }), err::kBadFileNumber);
    EXPECT_EQ(failureOf([&] { stream->AtEndOfStream(); }), err::kBadFileNumber);
}

}  // namespace
}  // namespace morvane

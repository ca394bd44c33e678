// The contract of the text-file component, the same on every host: the file's
// bytes exactly, whole or in pieces, and the failures of the names it opens.
#include <gtest/gtest.h>

#include <string>

#include "contract/host_folder.h"
#include "platform/failure.h"

namespace morvane::testing {
namespace {

std::string everyByte(std::size_t repeat) {
    std::string bytes;
    for (std::size_t r = 0; r < repeat; ++r) {
        for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    }
    return bytes;
}

class TextComponent : public ::testing::Test {
  protected:
    HostFolder folder;

    std::unique_ptr<TextStream> open(const std::string& rel) {
        return folder.components.createFileSystemObject()->OpenTextFile(folder.program(rel),
                                                                        iomode::kForReading);
    }
    int failureOpening(const std::string& rel, int mode = iomode::kForReading) {
        return failureOf([&] {
            folder.components.createFileSystemObject()->OpenTextFile(folder.program(rel), mode);
        });
    }
};

TEST_F(TextComponent, ReadAllGivesEveryByteOfTheFile) {
    const std::string bytes = everyByte(3000);
    folder.make("Ventas ñ.vbp", bytes);
    auto stream = open("VENTAS Ñ.VBP");
    EXPECT_EQ(stream->ReadAll(), bytes);
    EXPECT_TRUE(stream->AtEndOfStream());
    EXPECT_EQ(stream->ReadAll(), "");
    stream->Close();
}

TEST_F(TextComponent, PiecesGiveTheSameBytesInOrder) {
    const std::string bytes = everyByte(1000);
    folder.make("a.vbp", bytes);
    auto stream = open("a.vbp");
    std::string joined;
    std::string piece;
    while (!stream->AtEndOfStream()) {
        stream->Read(10007, piece);
        ASSERT_FALSE(piece.empty());
        joined += piece;
    }
    EXPECT_EQ(joined, bytes);
    stream->Read(10, piece);
    EXPECT_EQ(piece, "");
}

TEST_F(TextComponent, AnEmptyFileIsAtItsEndAtOnce) {
    folder.make("vacio.vbp", "");
    auto stream = open("vacio.vbp");
    EXPECT_TRUE(stream->AtEndOfStream());
    EXPECT_EQ(stream->ReadAll(), "");
}

TEST_F(TextComponent, AClosedStreamReadsNoMore) {
    folder.make("a.vbp", "x");
    auto stream = open("a.vbp");
    stream->Close();
    try {
        stream->ReadAll();
        ADD_FAILURE() << "a closed stream was read";
    } catch (const Failure& f) {
        EXPECT_EQ(f.number(), err::kBadFileNumber);
    }
}

struct OpenCase {
    const char* label;
    std::string rel;
    int mode;
    int failure;
};

void PrintTo(const OpenCase& c, std::ostream* os) {
    *os << c.label;
}

class TextComponentOpen : public TextComponent, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(TextComponentOpen, FailsWithTheNumberOfTheCondition) {
    folder.make("a.vbp", "x");
    folder.makeFolder("Carpeta");
    EXPECT_EQ(failureOpening(GetParam().rel, GetParam().mode), GetParam().failure);
}

INSTANTIATE_TEST_SUITE_P(
    Contract, TextComponentOpen,
    ::testing::Values(OpenCase{"MissingFile", "no.vbp", iomode::kForReading, err::kFileNotFound},
                      OpenCase{"MissingFolder", "No/a.vbp", iomode::kForReading,
                               err::kPathNotFound},
                      OpenCase{"Folder", "Carpeta", iomode::kForReading, err::kPathFileAccess},
                      OpenCase{"WritingMode", "a.vbp", 2, err::kInvalidCall}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace morvane::testing

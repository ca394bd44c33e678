// The text-file component: OpenTextFile for reading and ReadAll.
#include "platform/host_components.h"

#include <gtest/gtest.h>

#include <filesystem>
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

}  // namespace
}  // namespace morvane

// Group file names that Windows reserves for devices, or that end in a dot
// or a space, are refused like the other unusable names on every host: on
// Windows such a file would be a device, or a file of another name.
#include <gtest/gtest.h>

#include "ops/group/group_fixture.h"
#include "platform/reserved_names.h"

namespace morvane::testing {
namespace {

struct ReservedCase {
    const char* label;
    std::string name;
    bool device;
    bool dotOrSpace;
};

void PrintTo(const ReservedCase& c, std::ostream* os) {
    *os << c.label;
}

class ReservedName : public ::testing::TestWithParam<ReservedCase> {};

TEST_P(ReservedName, IsToldApart) {
    EXPECT_EQ(isReservedDeviceName(GetParam().name), GetParam().device);
    EXPECT_EQ(endsInDotOrSpace(GetParam().name), GetParam().dotOrSpace);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ReservedName,
    ::testing::Values(ReservedCase{"Con", "CON", true, false},
                      ReservedCase{"SmallLetters", "con", true, false},
                      ReservedCase{"WithExtension", "Nul.vbG", true, false},
                      ReservedCase{"WithTwoExtensions", "aux.txt.vbG", true, false},
                      ReservedCase{"SpacesBeforeTheExtension", "PRN  .vbG", true, false},
                      ReservedCase{"Com1", "COM1.vbG", true, false},
                      ReservedCase{"Lpt9", "lpt9", true, false},
                      ReservedCase{"ComSuperscriptOne", "COM\xC2\xB9.vbG", true, false},
                      ReservedCase{"LptSuperscriptThree", "lpt\xC2\xB3", true, false},
                      ReservedCase{"ConsoleInput", "CONIN$.vbG", true, false},
                      ReservedCase{"ConsoleOutput", "conout$", true, false},
                      ReservedCase{"Com0", "COM0.vbG", false, false},
                      ReservedCase{"Com10", "COM10.vbG", false, false},
                      ReservedCase{"ComAlone", "COM.vbG", false, false},
                      ReservedCase{"LongerWord", "Consola.vbG", false, false},
                      ReservedCase{"DeviceAfterTheStem", "Sistema.CON", false, false},
                      ReservedCase{"LeadingSpace", " CON.vbG", false, false},
                      ReservedCase{"EndingDot", "Sistema.", false, true},
                      ReservedCase{"EndingSpace", "Sistema ", false, true},
                      ReservedCase{"DeviceEndingDot", "nul.", true, true},
                      ReservedCase{"Plain", "Sistema.vbG", false, false}),
    [](const auto& info) { return std::string(info.param.label); });

bool isFailureBox(const Box& box, int number) {
    return box.style == mb::kAbortRetryIgnoreCritical && !box.title.has_value() &&
           box.text.rfind(standardDescription(number), 0) == 0;
}

// The name is refused at the existence test and again at the opening; nothing
// is written anywhere.
class ReservedGroupName : public ::testing::TestWithParam<std::string> {};

TEST_P(ReservedGroupName, IsRefusedAndNothingIsWritten) {
    GroupRun run;
    run.project("Ventas.vbp", true);
    const std::vector<std::string> before = run.files();
    run.toolkit.inputs = {GetParam()};
    run.toolkit.answers = {mb::kIgnore, mb::kYes, mb::kIgnore, mb::kIgnore};
    run.press();

    const auto& boxes = run.toolkit.boxes;
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_TRUE(isFailureBox(boxes[0], err::kBadFileNumber)) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("\"" + GetParam()), std::string::npos) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("Windows reserva ese nombre para un dispositivo"),
              std::string::npos)
        << boxes[0].text;
    EXPECT_EQ(boxes[2], boxes[0]);
    EXPECT_EQ(boxes[4], finalizadoBox());
    EXPECT_EQ(run.files(), before);
    EXPECT_EQ(run.hostFiles.freeFile(), 1);
}

INSTANTIATE_TEST_SUITE_P(GroupReservedNames, ReservedGroupName,
                         ::testing::Values("CON", "nul", "Aux.txt", "PRN ", "COM1", "lpt9",
                                           "COM\xC2\xB2", "CONOUT$", "con.vbg"));

// Names that only look like devices make their group file as usual.
struct KeptCase {
    const char* label;
    std::string typed;
    std::string written;
};

void PrintTo(const KeptCase& c, std::ostream* os) {
    *os << c.label;
}

class KeptGroupName : public ::testing::TestWithParam<KeptCase> {};

TEST_P(KeptGroupName, MakesTheGroupFile) {
    GroupRun run;
    run.project("Ventas.vbp", true);
    run.toolkit.inputs = {GetParam().typed};
    run.press();
    EXPECT_EQ(run.toolkit.boxes, std::vector<Box>{finalizadoBox()});
    EXPECT_EQ(readBytes(run.folder() / GetParam().written),
              "VBGROUP 5.0\r\nStartupProject=Ventas.vbp\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    GroupKeptNames, KeptGroupName,
    ::testing::Values(KeptCase{"Consola", "Consola", "Consola.vbG"},
                      KeptCase{"Com10", "COM10", "COM10.vbG"}, KeptCase{"Com0", "Com0", "Com0.vbG"},
                      KeptCase{"Nulo", "NULO", "NULO.vbG"},
                      KeptCase{"DeviceAsExtension", "Sistema.con", "Sistema.con.vbG"},
                      KeptCase{"EndingDotBeforeTheExtension", "Sistema.", "Sistema..vbG"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace morvane::testing

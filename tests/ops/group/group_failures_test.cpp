// Failures of a group file run reach the failure box, and the run goes on to
// its normal end: a name that cannot be a file name, a folder that is gone, a
// project name that the 8-bit code page cannot hold.
#include <gtest/gtest.h>

#include "ops/group/group_fixture.h"

namespace morvane::testing {
namespace {

bool isFailureBox(const Box& box, int number) {
    return box.style == mb::kAbortRetryIgnoreCritical && !box.title.has_value() &&
           box.text.rfind(standardDescription(number), 0) == 0;
}

// A name with a folder separator or a character that the target platform
// never allows in a file name is refused at the existence test and again at
// the opening; passing over both leaves nothing open, each write fails, and
// the closing has nothing to close and shows nothing.
class BadGroupName : public ::testing::TestWithParam<std::string> {};

TEST_P(BadGroupName, IsRefusedThroughTheFailureBoxAndNothingIsWritten) {
    GroupRun run;
    run.project("Ventas.vbp", true);
    std::filesystem::create_directories(run.folder() / "sub");
    const std::vector<std::string> before = run.files();
    run.toolkit.inputs = {GetParam()};
    // Ignore at the test; Yes to the question that follows it; Ignore at the
    // opening; Abort (which goes on like Ignore) at the write.
    run.toolkit.answers = {mb::kIgnore, mb::kYes, mb::kIgnore, mb::kAbort};
    run.press();

    const auto& boxes = run.toolkit.boxes;
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_TRUE(isFailureBox(boxes[0], err::kBadFileNumber)) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find(GetParam()), std::string::npos) << boxes[0].text;
    EXPECT_EQ(boxes[1], reemplazoBox());
    EXPECT_EQ(boxes[2], boxes[0]);
    EXPECT_TRUE(isFailureBox(boxes[3], err::kBadFileNumber)) << boxes[3].text;
    EXPECT_EQ(boxes[4], finalizadoBox());
    EXPECT_EQ(run.files(), before);
    EXPECT_TRUE(std::filesystem::is_empty(run.folder() / "sub"));
    EXPECT_TRUE(std::filesystem::is_empty(run.drive.root() / "Proyectos" / "sub"));
    EXPECT_EQ(run.form.caption, "&OK");
    EXPECT_EQ(run.hostFiles.freeFile(), 1);
}

INSTANTIATE_TEST_SUITE_P(GroupBadNames, BadGroupName,
                         ::testing::Values("a*b", "a?b", "*", "a\"b", "a<b", "a>b", "a|b", "sub\\x",
                                           "sub/x", "..\\Sistema", "C:Sistema", "a\tb"));

TEST(GroupFailures, RetryAtTheRefusedNameRefusesItAgain) {
    GroupRun run;
    run.toolkit.inputs = {"Sis*tema"};
    run.toolkit.answers = {mb::kRetry, mb::kRetry, mb::kIgnore, mb::kNo};
    run.toolkit.inputs.push_back("");
    run.press();

    const auto& boxes = run.toolkit.boxes;
    ASSERT_EQ(boxes.size(), 4u);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(isFailureBox(boxes[i], err::kBadFileNumber));
    // No to the question asks for the name again; a blank one ends the run.
    EXPECT_EQ(boxes[3], reemplazoBox());
    EXPECT_EQ(run.toolkit.inputBoxes.size(), 2u);
    EXPECT_TRUE(run.groupFiles().empty());
}

// A name that the host itself cannot use fails the opening.
TEST(GroupFailures, ANameTooLongForTheHostFailsTheOpening) {
    GroupRun run;
    run.project("Ventas.vbp", true);
    run.toolkit.inputs = {std::string(300, 'x')};
    run.toolkit.answers = {mb::kIgnore, mb::kIgnore};
    run.press();

    const auto& boxes = run.toolkit.boxes;
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_TRUE(isFailureBox(boxes[0], err::kPathFileAccess)) << boxes[0].text;
    EXPECT_TRUE(isFailureBox(boxes[1], err::kBadFileNumber)) << boxes[1].text;
    EXPECT_EQ(boxes[2], finalizadoBox());
    EXPECT_TRUE(run.groupFiles().empty());
}

TEST(GroupFailures, AFolderThatIsGoneFailsTheOpeningAndEveryWrite) {
    GroupRun run;
    run.project("Alfa.vbp", true);
    run.project("Beta.vbp", true);
    run.form.dir = "C:\\NoExiste";
    run.toolkit.inputs = {"Sistema"};
    run.toolkit.answers = {mb::kIgnore, mb::kIgnore, mb::kIgnore};
    run.press();

    const auto& boxes = run.toolkit.boxes;
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_TRUE(isFailureBox(boxes[0], err::kPathNotFound)) << boxes[0].text;
    EXPECT_TRUE(isFailureBox(boxes[1], err::kBadFileNumber)) << boxes[1].text;
    EXPECT_TRUE(isFailureBox(boxes[2], err::kBadFileNumber)) << boxes[2].text;
    EXPECT_EQ(boxes[3], finalizadoBox());
    EXPECT_FALSE(std::filesystem::exists(run.drive.root() / "NoExiste"));
}

TEST(GroupFailures, RetryAtTheOpeningOpensOnceTheFolderIsThere) {
    GroupRun run;
    run.project("Ventas.vbp", true);
    run.form.dir = "C:\\Nueva";
    run.toolkit.inputs = {"Sistema"};
    run.toolkit.answers = {mb::kRetry};
    // The user makes the folder while the failure box is up.
    run.toolkit.beforeAnswer = [&] {
        std::filesystem::create_directories(run.drive.root() / "Nueva");
    };
    run.press();

    const auto& boxes = run.toolkit.boxes;
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(isFailureBox(boxes[0], err::kPathNotFound)) << boxes[0].text;
    EXPECT_EQ(boxes[1], finalizadoBox());
    EXPECT_EQ(readBytes(run.drive.root() / "Nueva" / "Sistema.vbG"),
              "VBGROUP 5.0\r\nStartupProject=Ventas.vbp\r\n");
}

// A project name that Windows-1252 cannot hold would come out as another
// name; the step fails with a description that names it, and passing over it
// leaves the line ending after the "=" instead of naming a wrong file.
TEST(GroupFailures, AProjectNameOutsideTheCodePageIsReportedNotMangled) {
    GroupRun run;
    run.project("Alfa.vbp", true);
    run.project("π.vbp", true);
    run.project("Ωmega.vbp", true);
    run.toolkit.inputs = {"Sistema"};
    run.toolkit.answers = {mb::kRetry, mb::kIgnore, mb::kAbort};
    run.press();

    const auto& boxes = run.toolkit.boxes;
    ASSERT_EQ(boxes.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(boxes[i].style, mb::kAbortRetryIgnoreCritical);
        EXPECT_FALSE(boxes[i].title.has_value());
        EXPECT_NE(boxes[i].text.find("Windows-1252"), std::string::npos) << boxes[i].text;
    }
    EXPECT_NE(boxes[0].text.find("π.vbp"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(boxes[1], boxes[0]);
    EXPECT_NE(boxes[2].text.find("Ωmega.vbp"), std::string::npos) << boxes[2].text;
    EXPECT_EQ(boxes[3], finalizadoBox());
    EXPECT_EQ(readBytes(run.folder() / "Sistema.vbG"),
              "VBGROUP 5.0\r\nStartupProject=Alfa.vbp\r\nProject=\r\nProject=\r\n");
}

}  // namespace
}  // namespace morvane::testing

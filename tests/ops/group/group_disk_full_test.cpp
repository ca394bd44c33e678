// A write or a close that the disk refuses reaches the failure box at the
// step that made it; Retry writes the line once, not twice.
#include <gtest/gtest.h>

#include "ops/group/group_fixture.h"

namespace morvane::testing {
namespace {

// The host's file services, with a full disk for the next writes or closes.
class FullDisk : public FileServices {
  public:
    explicit FullDisk(FileServices& host) : host_(host) {}
    int failWrites = 0;
    int failCloses = 0;

    std::string dir(const std::string& p, int a) override { return host_.dir(p, a); }
    std::string dirNext() override { return host_.dirNext(); }
    int freeFile() override { return host_.freeFile(); }
    void openForInput(const std::string& n, int f) override { host_.openForInput(n, f); }
    void openForOutput(const std::string& n, int f) override { host_.openForOutput(n, f); }
    bool eof(int f) override { return host_.eof(f); }
    std::string lineInput(int f) override { return host_.lineInput(f); }
    void printLine(int f, std::string_view line) override {
        if (failWrites > 0 && failWrites--) throw Failure(err::kDiskFull);
        host_.printLine(f, line);
    }
    void close(int f) override {
        if (failCloses > 0 && failCloses--) throw Failure(err::kDiskFull);
        host_.close(f);
    }
    void abandon(int f) override { host_.abandon(f); }
    bool isOpen(int f) const override { return host_.isOpen(f); }
    void kill(const std::string& n) override { host_.kill(n); }
    void rename(const std::string& a, const std::string& b) override { host_.rename(a, b); }

  private:
    FileServices& host_;
};

Box discoLleno() {
    return {standardDescription(err::kDiskFull), mb::kAbortRetryIgnoreCritical, std::nullopt};
}

TEST(GroupDiskFull, RetryAtAFailedWriteWritesTheLineOnce) {
    GroupRun run;
    run.project("Alfa.vbp", true);
    run.project("Beta.vbp", true);
    FullDisk disk(run.hostFiles);
    disk.failWrites = 2;
    Services sv{disk, run.components, run.processes, run.toolkit, run.form};
    run.toolkit.inputs = {"Sistema"};
    run.toolkit.answers = {mb::kRetry, mb::kRetry};
    CmdOK_Click(sv);

    EXPECT_EQ(run.toolkit.boxes, (std::vector<Box>{discoLleno(), discoLleno(), finalizadoBox()}));
    EXPECT_EQ(readBytes(run.folder() / "Sistema.vbG"),
              "VBGROUP 5.0\r\nStartupProject=Alfa.vbp\r\nProject=Beta.vbp\r\n");
}

TEST(GroupDiskFull, IgnoreAtAFailedWriteLeavesThatLineOut) {
    GroupRun run;
    run.project("Alfa.vbp", true);
    run.project("Beta.vbp", true);
    FullDisk disk(run.hostFiles);
    disk.failWrites = 1;
    Services sv{disk, run.components, run.processes, run.toolkit, run.form};
    run.toolkit.inputs = {"Sistema"};
    run.toolkit.answers = {mb::kIgnore};
    CmdOK_Click(sv);

    EXPECT_EQ(run.toolkit.boxes, (std::vector<Box>{discoLleno(), finalizadoBox()}));
    EXPECT_EQ(readBytes(run.folder() / "Sistema.vbG"), "Project=Beta.vbp\r\n");
}

// A close that the disk refuses is shown once and keeps the file open with
// its lines; Retry closes it, and the file is whole.
TEST(GroupDiskFull, AFailedCloseIsShownOnce) {
    GroupRun run;
    run.project("Alfa.vbp", true);
    FullDisk disk(run.hostFiles);
    disk.failCloses = 1;
    Services sv{disk, run.components, run.processes, run.toolkit, run.form};
    run.toolkit.inputs = {"Sistema"};
    run.toolkit.answers = {mb::kRetry};
    CmdOK_Click(sv);

    EXPECT_EQ(run.toolkit.boxes, (std::vector<Box>{discoLleno(), finalizadoBox()}));
    EXPECT_FALSE(run.hostFiles.isOpen(1));
    EXPECT_EQ(readBytes(run.folder() / "Sistema.vbG"),
              "VBGROUP 5.0\r\nStartupProject=Alfa.vbp\r\n");
}

}  // namespace
}  // namespace morvane::testing

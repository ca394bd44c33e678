// A real full disk: a small tmpfs mounted inside the test's folder and
// filled up, then freed while the failure box is up. Mounting needs the right
// to mount (root, as CI runs); elsewhere these tests skip and say why.
#include <sys/mount.h>
#include <sys/statvfs.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "ops/group/group_fixture.h"
#include "ops/replace/reescritura_fixture.h"
#include "run/controller.h"

namespace morvane::testing {
namespace {

namespace fs = std::filesystem;

// A tmpfs of 4 MiB over a folder, with a filler file that leaves `room`
// bytes free; unmounted when the test ends.
class SmallDisk {
  public:
    explicit SmallDisk(const fs::path& folder) : folder_(folder) {
        fs::create_directories(folder_);
        if (::mount("morvane-test", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=4m") != 0) {
            error_ = std::strerror(errno);
            return;
        }
        mounted_ = true;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& error() const { return error_; }

    // Fills the disk up to `room` free bytes.
    void leaveFree(std::size_t room) {
        const std::size_t free = freeBytes();
        ASSERT_GT(free, room);
        std::ofstream filler(folder_ / "relleno.bin", std::ios::binary);
        const std::string block(64 * 1024, 'x');
        std::size_t left = free - room;
        while (left > 0) {
            const std::size_t n = std::min(left, block.size());
            filler.write(block.data(), static_cast<std::streamsize>(n));
            left -= n;
        }
        filler.close();
        ASSERT_TRUE(filler) << "the filler could not be written";
        ASSERT_LE(freeBytes(), room + 4096);
    }
    // What the user does before Retry: deletes the filler.
    void freeSpace() {
        std::error_code ec;
        fs::remove(folder_ / "relleno.bin", ec);
    }

  private:
    std::size_t freeBytes() const {
        struct statvfs st;
        if (::statvfs(folder_.c_str(), &st) != 0) return 0;
        return static_cast<std::size_t>(st.f_bavail) * st.f_frsize;
    }

    fs::path folder_;
    bool mounted_ = false;
    std::string error_;
};

#define SKIP_UNLESS_MOUNTED(disk)                                                         \
    if (!(disk).mounted())                                                                \
    GTEST_SKIP() << "a small tmpfs cannot be mounted here (" << (disk).error()           \
                 << "); mounting needs root, as CI runs the tests"

// 600 lines that are 1,009 bytes each after the replacement.
std::string project600() {
    std::string bytes;
    for (int i = 0; i < 600; ++i) {
        std::string line = "Linea " + std::to_string(i) + " corta ";
        line.resize(1000, static_cast<char>('a' + i % 26));
        bytes += line + "\r\n";
    }
    return bytes;
}

class RealFullDisk : public Reescritura {
  protected:
    RealFullDisk() {
        form.dir = "C:\\Lleno";
        form.opcion = 1;
        form.buscar = "corta";
        form.reemplazar = "muy muy larga";
    }
    SmallDisk disk{host("Lleno")};
};

TEST_F(RealFullDisk, RetryAfterSpaceIsFreedRewritesEveryProjectWhole) {
    SKIP_UNLESS_MOUNTED(disk);
    const std::string big = project600();
    const std::string small = "Name=\"corta\"\r\n";
    writeBytes(host("Lleno/Grande.vbp"), big);
    writeBytes(host("Lleno/Chico.vbp"), small);
    writeBytes(host("Limpio/Grande.vbp"), big);
    reemplazar("C:\\Limpio\\Grande.vbp", "corta", "muy muy larga");
    const std::string expected = readBytes(host("Limpio/Grande.vbp"));

    disk.leaveFree(256 * 1024);
    form.add("C:\\Lleno\\Chico.vbp", true);
    form.add("C:\\Lleno\\Grande.vbp", true);
    toolkit.alMostrar = [this](const std::string& text) {
        if (text == descripcion(err::kDiskFull)) disk.freeSpace();
    };
    toolkit.answers = {mb::kYes, mb::kRetry};
    CmdOK_Click(sv);

    ASSERT_EQ(toolkit.boxes.size(), 3u);
    EXPECT_EQ(toolkit.boxes[1].text, descripcion(err::kDiskFull));
    EXPECT_EQ(toolkit.boxes[2].text, "Proceso Finalizado");
    EXPECT_EQ(readBytes(host("Lleno/Grande.vbp")), expected);
    EXPECT_EQ(readBytes(host("Lleno/Grande.OLD")), big);
    EXPECT_EQ(readBytes(host("Lleno/Chico.vbp")), "Name=\"muy muy larga\"\r\n");
    EXPECT_EQ(readBytes(host("Lleno/Chico.OLD")), small);
}

// Ignore and Abort leave a project that did not fit exactly as it was, and
// every project's content is under its name or its backup.
TEST_F(RealFullDisk, IgnoreLeavesAProjectThatDidNotFitAsItWas) {
    SKIP_UNLESS_MOUNTED(disk);
    const std::string big = project600();
    writeBytes(host("Lleno/Grande.vbp"), big);
    writeBytes(host("Lleno/Grande.OLD"), "respaldo anterior");
    disk.leaveFree(256 * 1024);
    form.add("C:\\Lleno\\Grande.vbp", true);
    toolkit.answers = {mb::kYes, mb::kIgnore, mb::kAbort, mb::kIgnore, mb::kIgnore};
    CmdOK_Click(sv);

    EXPECT_EQ(toolkit.boxes.back().text, "Proceso Finalizado");
    EXPECT_EQ(readBytes(host("Lleno/Grande.vbp")), big);
    EXPECT_EQ(readBytes(host("Lleno/Grande.OLD")), "respaldo anterior");
}

TEST(RealFullDiskGroup, RetryAfterSpaceIsFreedWritesTheWholeGroup) {
    GroupRun run;
    SmallDisk disk(run.folder());
    SKIP_UNLESS_MOUNTED(disk);
    std::string expected = "VBGROUP 5.0\r\n";
    for (int i = 0; i < 400; ++i) {
        const std::string name = "Proyecto" + std::to_string(1000 + i) + ".vbp";
        run.project(name, true);
        expected += (i == 0 ? "StartupProject=" : "Project=") + name + "\r\n";
    }
    disk.leaveFree(0);
    run.toolkit.inputs = {"Sistema"};
    run.toolkit.answers = {mb::kRetry};
    run.toolkit.beforeAnswer = [&disk] { disk.freeSpace(); };
    run.press();

    ASSERT_EQ(run.toolkit.boxes.size(), 2u);
    EXPECT_EQ(run.toolkit.boxes[0].text, standardDescription(err::kDiskFull));
    EXPECT_EQ(readBytes(run.folder() / "Sistema.vbG"), expected);
}

}  // namespace
}  // namespace morvane::testing

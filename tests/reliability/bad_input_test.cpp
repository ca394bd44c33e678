// Bad input given to whole runs over real files: names the target platform
// forbids, names and paths longer than the host allows, binary files, a line
// of a hundred megabytes, a folder of a hundred thousand files, link loops,
// drives and folders that are gone or cannot be read, paths full of shell
// and wildcard characters. Each ends in what a user would expect: the work
// done, a failure box with the failure's description, or a plain refusal;
// never a crash, a hang, or a file written somewhere it was not meant to go.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "child_run.h"
#include "platform/host_files.h"
#include "project_set.h"

namespace morvane::testing {
namespace {

namespace fs = std::filesystem;

const std::string kFinalizado = "Proceso Finalizado";

std::string description(int number) {
    return Failure(number).description();
}

ChildRunSpec runOn(const TempFolder& drive, int opcion, const std::string& buscar = "Comun",
                   const std::string& reemplazar = "Base") {
    ChildRunSpec plan;
    plan.folder = drive.path().string();
    plan.answers = Answers::RetryThenIgnore;
    plan.form.opcion = opcion;
    plan.form.buscar = buscar;
    plan.form.reemplazar = reemplazar;
    plan.form.dir = "C:\\Proyectos";
    return plan;
}

// Every entry under a folder with its bytes (or link target), to tell that
// nothing was written.
std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string rel = fs::relative(e.path(), root).string();
        if (e.is_symlink()) {
            entries[rel] = "-> " + fs::read_symlink(e).string();
        } else if (e.is_regular_file()) {
            entries[rel] = readBytes(e.path());
        } else {
            entries[rel] = "(folder)";
        }
    }
    return entries;
}

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// ---------------------------------------------------------------------------
// Group file names that name no file of the chosen folder: characters the
// target platform forbids, folders, a name longer than the host allows. The
// run shows the failure and writes nothing anywhere.

struct GroupNameCase {
    const char* name;
    std::string typed;
    int failure;
};

class UnusableGroupName : public ::testing::TestWithParam<GroupNameCase> {};

TEST_P(UnusableGroupName, IsRefusedThroughTheFailureBoxAndNothingIsWritten) {
    TempFolder drive;
    ProjectSet set(drive / "Proyectos", "Proyectos");
    set.add("Ventas.vbp", "Type=Exe\r\n");
    writeBytes(drive / "Fuera/nada.txt", "nada");
    const auto before = snapshot(drive.path());
    ChildRunSpec plan = runOn(drive, 0);
    plan.answers = Answers::Ignore;
    plan.inputs = {GetParam().typed};
    set.listAll(plan.form);

    const ChildResult r = runChild(std::move(plan));

    ASSERT_TRUE(r.returned()) << r.describe();
    ASSERT_GE(r.failureBoxes(), 1) << r.describe();
    bool described = false;
    for (const Box& b : r.boxes) described |= startsWith(b.text, description(GetParam().failure));
    EXPECT_TRUE(described) << r.describe();
    EXPECT_TRUE(r.showed(kFinalizado)) << r.describe();
    EXPECT_EQ(snapshot(drive.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Names, UnusableGroupName,
    ::testing::Values(GroupNameCase{"Star", "Todo*", err::kBadFileNumber},
                      GroupNameCase{"Question", "Grupo?", err::kBadFileNumber},
                      GroupNameCase{"Quote", "Mi \"Grupo\"", err::kBadFileNumber},
                      GroupNameCase{"Less", "a<b", err::kBadFileNumber},
                      GroupNameCase{"Greater", "a>b", err::kBadFileNumber},
                      GroupNameCase{"Bar", "a|b", err::kBadFileNumber},
                      GroupNameCase{"Colon", "C:Grupo", err::kBadFileNumber},
                      GroupNameCase{"BackslashUp", "..\\Fuera\\Grupo", err::kBadFileNumber},
                      GroupNameCase{"SlashUp", "../Fuera/Grupo", err::kBadFileNumber},
                      GroupNameCase{"AbsolutePath", "/tmp/Grupo", err::kBadFileNumber},
                      GroupNameCase{"TooLong", std::string(300, 'G'), err::kPathFileAccess}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Project names and paths longer than the host allows.

struct LongPathCase {
    const char* name;
    std::string programPath;
};

class LongProjectPath : public ::testing::TestWithParam<LongPathCase> {};

TEST_P(LongProjectPath, ShowsAFailureBoxAndWritesNothing) {
    TempFolder drive;
    ProjectSet set(drive / "Proyectos", "Proyectos");
    set.add("Ventas.vbp", projectContent(2000, 1));
    const auto before = snapshot(drive.path());
    ChildRunSpec plan = runOn(drive, 1);
    plan.form.add(GetParam().programPath, true);
    set.listAll(plan.form);

    const ChildResult r = runChild(std::move(plan));

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_GE(r.failureBoxes(), 1) << r.describe();
    EXPECT_TRUE(r.showed(kFinalizado)) << r.describe();
    // The project beside it is rewritten as usual; nothing else changes.
    EXPECT_TRUE(set.wasRewritten("Ventas.vbp", "Comun", "Base"));
    auto after = snapshot(drive.path());
    after.erase("Proyectos/Ventas.OLD");
    after["Proyectos/Ventas.vbp"] = before.at("Proyectos/Ventas.vbp");
    EXPECT_EQ(after, before);
}

std::string deepPath() {
    std::string p = "C:\\Proyectos";
    while (p.size() < 5000) p += "\\" + std::string(200, 'd');
    return p + "\\Largo.vbp";
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LongProjectPath,
    ::testing::Values(LongPathCase{"NameOf300", "C:\\Proyectos\\" + std::string(296, 'N') + ".vbp"},
                      LongPathCase{"PathOf5000", deepPath()}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Binary content: every byte value, NULs among them, goes through a rewrite
// unchanged apart from line ends, and the search finds a text after a NUL.

TEST(BinaryFiles, AreRewrittenByteForByteApartFromLineEnds) {
    TempFolder drive;
    ProjectSet set(drive / "Proyectos", "Proyectos");
    std::string bytes;
    for (int round = 0; round < 64; ++round)
        for (int b = 0; b < 256; ++b) bytes += static_cast<char>((b * 7 + round) & 0xff);
    bytes += std::string("\0\0comun\0", 8);
    set.add("Binario.vbp", bytes);
    ChildRunSpec plan = runOn(drive, 1);
    set.listAll(plan.form);

    const ChildResult r = runChild(std::move(plan));

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_EQ(r.failureBoxes(), 0) << r.describe();
    EXPECT_TRUE(set.wasRewritten("Binario.vbp", "Comun", "Base"));
    const std::string now = *set.bytesOf("Binario.vbp");
    EXPECT_NE(now.find(std::string("\0\0Base\0", 7)), std::string::npos);
}

TEST(BinaryFiles, TheSearchFindsATextAfterNulBytes) {
    TempFolder drive;
    ProjectSet set(drive / "Proyectos", "Proyectos");
    set.add("ConClave.vbp", std::string("\0\0\0\xff\xfe", 5) + "la Clave");
    set.add("SinClave.vbp", std::string("\0\0\0\xff\xfe", 5) + "nada");
    ChildRunSpec plan = runOn(drive, 3, "clave");
    set.listAll(plan.form);

    const ChildResult r = runChild(std::move(plan));

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_EQ(r.marks, "10");
}

// ---------------------------------------------------------------------------
// One line of a hundred megabytes, with an occurrence at its start and one
// far past the 16-bit limit: the first is replaced, the second is the
// overflow failure, and the rewrite then goes on with the line as it stands.

TEST(HugeLine, OfAHundredMegabytesIsRewrittenWithTheOverflowShown) {
    TempFolder drive;
    ProjectSet set(drive / "Proyectos", "Proyectos");
    const std::size_t kMiddle = 100u * 1024 * 1024;
    std::string content = "Comun" + std::string(kMiddle, 'x') + "comun";
    set.add("Enorme.vbp", content);
    content.clear();
    ChildRunSpec plan = runOn(drive, 1);
    set.listAll(plan.form);

    const ChildResult r = runChild(std::move(plan));

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_TRUE(r.showed(description(err::kOverflow))) << r.describe();
    EXPECT_TRUE(r.showed(kFinalizado)) << r.describe();
    EXPECT_EQ(set.bytesOf("Enorme.OLD"), set.originals().at("Enorme.vbp"));
    const std::string now = *set.bytesOf("Enorme.vbp");
    ASSERT_EQ(now.size(), 4 + kMiddle + 5 + 2);
    EXPECT_EQ(now.substr(0, 5), "Basex");
    EXPECT_EQ(now.substr(now.size() - 8), "xcomun\r\n");
}

// ---------------------------------------------------------------------------
// A folder of a hundred thousand files: listed whole, each name once, and
// searched whole (the list is longer than a 16-bit index reaches).

TEST(HugeFolder, OfAHundredThousandFilesIsListedAndSearchedWhole) {
    TempFolder drive;
    const fs::path folder = drive / "Proyectos";
    fs::create_directories(folder);
    constexpr int kFiles = 100000;
    std::set<std::string> withText;
    for (int i = 0; i < kFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "P%06d.vbp", i);
        const bool holds = i % 997 == 0;
        writeBytes(folder / name, holds ? "Name=\"Clave\"\r\n" : "Name=\"Otro\"\r\n");
        if (holds) withText.insert(name);
    }

    DriveTable drives;
    drives.map('c', drive.path());
    drives.setStartDrive('c');
    HostFileServices files(drives);
    std::vector<std::string> names;
    for (std::string n = files.dir("C:\\Proyectos\\*.vbp", attr::kNormal); !n.empty();
         n = files.dirNext())
        names.push_back(n);
    ASSERT_EQ(names.size(), static_cast<std::size_t>(kFiles));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());

    ChildRunSpec plan = runOn(drive, 3, "clave");
    std::string expected;
    for (const auto& n : names) {
        plan.form.add("C:\\Proyectos\\" + n, false);
        expected += withText.count(n) ? '1' : '0';
    }
    const ChildResult r = runChild(std::move(plan));
    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_EQ(r.failureBoxes(), 0) << r.describe();
    EXPECT_EQ(r.marks, expected);
}

// ---------------------------------------------------------------------------
// Links that loop: a project name that is a link to itself, two links to each
// other, a folder link to its own folder.

TEST(LinkLoops, AreNotListedAndARunOverThemShowsTheFailure) {
    TempFolder drive;
    ProjectSet set(drive / "Proyectos", "Proyectos");
    set.add("Ventas.vbp", projectContent(3000, 2));
    fs::create_symlink("Bucle.vbp", set.file("Bucle.vbp"));
    fs::create_symlink("Vuelta.vbp", set.file("Ida.vbp"));
    fs::create_symlink("Ida.vbp", set.file("Vuelta.vbp"));
    fs::create_directory_symlink(".", set.file("Sub"));

    DriveTable drives;
    drives.map('c', drive.path());
    drives.setStartDrive('c');
    HostFileServices files(drives);
    std::vector<std::string> names;
    for (std::string n = files.dir("C:\\Proyectos\\*.vbp", attr::kNormal); !n.empty();
         n = files.dirNext())
        names.push_back(n);
    EXPECT_EQ(names, std::vector<std::string>{"Ventas.vbp"});

    ChildRunSpec plan = runOn(drive, 1);
    plan.form.add(set.programPath("Bucle.vbp"), true);
    plan.form.add(set.programPath("Ida.vbp"), true);
    plan.form.add(set.programPath("Sub\\Sub\\Sub\\Bucle.vbp"), true);
    set.listAll(plan.form);
    const ChildResult r = runChild(std::move(plan));

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_TRUE(r.showed(description(err::kPathFileAccess))) << r.describe();
    EXPECT_TRUE(set.wasRewritten("Ventas.vbp", "Comun", "Base"));
    EXPECT_EQ(fs::read_symlink(set.file("Bucle.vbp")), "Bucle.vbp");
    EXPECT_EQ(fs::read_symlink(set.file("Ida.vbp")), "Vuelta.vbp");
    EXPECT_FALSE(fs::exists(set.file("Bucle.OLD")));
    EXPECT_FALSE(fs::exists(set.file("Ida.OLD")));
}

// ---------------------------------------------------------------------------
// A drive whose folder has gone, and a folder that cannot be listed.

TEST(GoneDrive, ListsNothingAndARunOverItShowsTheFailure) {
    TempFolder parent;
    const fs::path gone = parent / "Unidad";
    fs::create_directories(gone / "Proyectos");
    DriveTable drives;
    drives.map('c', gone);
    drives.setStartDrive('c');
    fs::remove_all(gone);

    HostFileServices files(drives);
    EXPECT_EQ(files.dir("C:\\Proyectos\\*.vbp", attr::kNormal), "");

    ChildRunSpec plan;
    plan.folder = gone.string();
    plan.answers = Answers::RetryThenIgnore;
    plan.form.opcion = 1;
    plan.form.buscar = "Comun";
    plan.form.add("C:\\Proyectos\\Ventas.vbp", true);
    const ChildResult r = runChild(std::move(plan));

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_TRUE(r.showed(description(err::kPathNotFound))) << r.describe();
    EXPECT_TRUE(r.showed(kFinalizado)) << r.describe();
    EXPECT_FALSE(fs::exists(gone));
}

TEST(UnreadableFolder, ItsListingFailsWithPermissionDenied) {
    TempFolder drive;
    ProjectSet set(drive / "Proyectos", "Proyectos");
    set.add("Ventas.vbp", "Type=Exe\r\n");
    const bool root = ::geteuid() == 0;
    if (root) {
        // The super-user reads every folder: the listing runs as "nobody".
        for (const auto& e : fs::recursive_directory_iterator(drive.path()))
            ASSERT_EQ(::chown(e.path().c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chown(drive.path().c_str(), 65534, 65534), 0);
    }
    fs::permissions(set.folder(), fs::perms::none);

    const int failure = runInChildProcess([&] {
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 254;
        DriveTable drives;
        drives.map('c', drive.path());
        drives.setStartDrive('c');
        HostFileServices files(drives);
        try {
            files.dir("C:\\Proyectos\\*.vbp", attr::kNormal);
        } catch (const Failure& f) {
            return f.number();
        }
        return 0;
    });
    EXPECT_EQ(failure, err::kPermissionDenied);
}

// ---------------------------------------------------------------------------
// Paths full of shell and wildcard characters are only ever paths: each file
// is rewritten under its own name, no other file is touched, no command runs.

TEST(ShellCharacters, InProjectNamesOnlyNameThoseFiles) {
    TempFolder drive;
    ProjectSet set(drive / "Proyectos", "Proyectos");
    const std::vector<std::string> odd = {"*.vbp",
                                          "a;touch PWNED;b.vbp",
                                          "$(touch PWNED).vbp",
                                          "`touch PWNED`.vbp",
                                          "a?.vbp",
                                          "x | touch PWNED.vbp",
                                          "-rf .vbp"};
    for (std::size_t i = 0; i < odd.size(); ++i)
        set.add(odd[i], projectContent(1500, static_cast<std::uint32_t>(40 + i)));
    // Another project with an earlier backup, which a wildcard would reach.
    writeBytes(set.file("a1.vbp"), "Module=Comun\r\n");
    writeBytes(set.file("a1.OLD"), "respaldo\r\n");
    ChildRunSpec plan = runOn(drive, 1);
    set.listAll(plan.form);

    const ChildResult r = runChild(std::move(plan));

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_EQ(r.failureBoxes(), 0) << r.describe();
    for (const auto& name : odd) EXPECT_TRUE(set.wasRewritten(name, "Comun", "Base")) << name;
    EXPECT_EQ(readBytes(set.file("a1.vbp")), "Module=Comun\r\n");
    EXPECT_EQ(readBytes(set.file("a1.OLD")), "respaldo\r\n");
    EXPECT_FALSE(fs::exists("PWNED"));
    EXPECT_FALSE(fs::exists(set.file("PWNED")));
}

// ---------------------------------------------------------------------------
// The temporary and backup names are links to files outside the folder: the
// links give way, and the files they pointed to stay as they were.

TEST(SideFileLinks, AreNeverWrittenThrough) {
    TempFolder drive;
    ProjectSet set(drive / "Proyectos", "Proyectos");
    set.add("Ventas.vbp", projectContent(3000, 5));
    writeBytes(drive / "Fuera/blanco.txt", "no tocar\r\n");
    writeBytes(drive / "Fuera/respaldo.txt", "tampoco\r\n");
    fs::create_symlink("../Fuera/blanco.txt", set.file("Ventas.NVO"));
    fs::create_symlink("../Fuera/respaldo.txt", set.file("Ventas.OLD"));
    ChildRunSpec plan = runOn(drive, 1);
    set.listAll(plan.form);

    const ChildResult r = runChild(std::move(plan));

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_EQ(r.failureBoxes(), 0) << r.describe();
    EXPECT_TRUE(set.wasRewritten("Ventas.vbp", "Comun", "Base"));
    EXPECT_FALSE(fs::is_symlink(set.file("Ventas.OLD")));
    EXPECT_EQ(readBytes(drive / "Fuera/blanco.txt"), "no tocar\r\n");
    EXPECT_EQ(readBytes(drive / "Fuera/respaldo.txt"), "tampoco\r\n");
}

}  // namespace
}  // namespace morvane::testing

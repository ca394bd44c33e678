// Faults injected into real search-and-replace runs over real files: a disk
// that fills up in the middle of a rewrite, the process killed at any moment,
// rights taken away, files that vanish or turn into folders, no file numbers
// left on the host. Whatever the fault and whatever the answers to the
// failure boxes, no project file's content is ever lost, and no project file
// is left half-written under its own name.
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "child_run.h"
#include "project_set.h"

namespace morvane::testing {
namespace {

namespace fs = std::filesystem;

const std::string kBuscar = "comun";
const std::string kReemplazo = "Base";
const std::string kFinalizado = "Proceso Finalizado";

std::string description(int number) {
    return Failure(number).description();
}

// A search-and-replace run of every project of the set, checked.
ChildRunSpec replaceRun(const TempFolder& drive, const ProjectSet& set, Answers answers) {
    ChildRunSpec plan;
    plan.folder = drive.path().string();
    plan.answers = answers;
    plan.form.opcion = 1;
    plan.form.buscar = kBuscar;
    plan.form.reemplazar = kReemplazo;
    set.listAll(plan.form);
    return plan;
}

void expectNothingLost(const ProjectSet& set) {
    EXPECT_EQ(joined(set.lost()), "") << "content before the run found nowhere";
    EXPECT_EQ(joined(set.halfWritten(kBuscar, kReemplazo)), "")
        << "a project's name holds neither its content nor its complete rewrite";
}

// ---------------------------------------------------------------------------
// The disk fills up in the middle of a rewrite: the child may write files of
// at most 300 KB, the large projects are bigger. Every answer is tried.

class DiskFull : public ::testing::TestWithParam<Answers> {};

TEST_P(DiskFull, ShowsTheFailureAndKeepsEveryProjectsContent) {
    TempFolder drive;
    ProjectSet set(drive / "Proyectos", "Proyectos");
    set.add("Chico1.vbp", projectContent(3000, 1));
    set.add("Grande1.vbp", projectContent(700 * 1024, 2));
    set.add("Chico2.vbp", projectContent(20000, 3));
    set.add("Grande2.vbp", projectContent(400 * 1024, 4));
    // An earlier backup of a large project, which must survive a rewrite that
    // cannot finish.
    writeBytes(set.file("Grande2.OLD"), "contenido del respaldo anterior\r\n");

    ChildRunSpec plan = replaceRun(drive, set, GetParam());
    plan.beforeRun = [] { limitFileSize(300 * 1024); };
    const ChildResult r = runChild(std::move(plan));

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_TRUE(r.showed(description(err::kDiskFull))) << r.describe();
    EXPECT_TRUE(r.showed(kFinalizado)) << r.describe();
    expectNothingLost(set);
    // The small ones fit and are rewritten; the large ones keep their name and
    // content, and the earlier backup stays.
    EXPECT_TRUE(set.wasRewritten("Chico1.vbp", kBuscar, kReemplazo));
    EXPECT_TRUE(set.wasRewritten("Chico2.vbp", kBuscar, kReemplazo));
    EXPECT_EQ(set.bytesOf("Grande1.vbp"), set.originals().at("Grande1.vbp"));
    EXPECT_EQ(set.bytesOf("Grande2.vbp"), set.originals().at("Grande2.vbp"));
    EXPECT_EQ(set.bytesOf("Grande2.OLD"), "contenido del respaldo anterior\r\n");
}

INSTANTIATE_TEST_SUITE_P(EveryAnswer, DiskFull,
                         ::testing::Values(Answers::Ignore, Answers::Abort,
                                           Answers::RetryThenIgnore),
                         [](const auto& info) { return answersName(info.param); });

// ---------------------------------------------------------------------------
// SIGKILL at moments spread over a whole run of many files.

TEST(Killed, AtAnyMomentOfARunLeavesEveryContentUnderItsNameOrItsBackup) {
    auto makeSet = [](const TempFolder& drive) {
        ProjectSet set(drive / "Proyectos", "Proyectos");
        for (int i = 0; i < 24; ++i) {
            set.add("Proyecto" + std::to_string(100 + i) + ".vbp",
                    projectContent(20000 + 6000 * (i % 7), static_cast<std::uint32_t>(i)));
        }
        return set;
    };

    // How long a whole run takes here, so the kills spread over all of it.
    std::chrono::nanoseconds whole;
    {
        TempFolder drive;
        ProjectSet set = makeSet(drive);
        const auto start = std::chrono::steady_clock::now();
        const ChildResult r = runChild(replaceRun(drive, set, Answers::Ignore));
        whole = std::chrono::steady_clock::now() - start;
        ASSERT_TRUE(r.returned()) << r.describe();
        ASSERT_EQ(r.failureBoxes(), 0) << r.describe();
        for (const auto& [name, content] : set.originals())
            ASSERT_TRUE(set.wasRewritten(name, kBuscar, kReemplazo)) << name;
    }

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("kill moments drawn with seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    constexpr int kKills = 12;
    int killedMidway = 0;
    for (int k = 0; k < kKills; ++k) {
        TempFolder drive;
        ProjectSet set = makeSet(drive);
        // One slice of the whole run each, at a random point of the slice.
        const double slice = static_cast<double>(whole.count()) / kKills;
        const auto delay = std::chrono::nanoseconds(static_cast<long long>(
            slice * k + std::uniform_real_distribution<double>(0, slice)(rng)));
        const ChildResult r = runChild(replaceRun(drive, set, Answers::Ignore), [&](pid_t pid) {
            std::this_thread::sleep_for(delay);
            ::kill(pid, SIGKILL);
        });
        SCOPED_TRACE("kill " + std::to_string(k) + " after " +
                     std::to_string(delay.count() / 1000) + " us");
        if (r.signal == SIGKILL) ++killedMidway;
        expectNothingLost(set);

        // The user starts again and runs the same replacement over the folder
        // as the kill left it: what each name holds now is kept under the name
        // or the backup, and a project whose name is empty (killed between
        // its two renames) keeps its backup as it is.
        std::map<std::string, std::optional<std::string>> named, backups;
        for (const auto& [name, content] : set.originals()) {
            named[name] = set.bytesOf(name);
            backups[name] = set.bytesOf(ProjectSet::backupName(name));
        }
        const ChildResult again = runChild(replaceRun(drive, set, Answers::Ignore));
        ASSERT_TRUE(again.returned()) << again.describe();
        for (const auto& [name, before] : named) {
            const auto backup = set.bytesOf(ProjectSet::backupName(name));
            if (before) {
                EXPECT_TRUE(set.bytesOf(name) == before || backup == before) << name;
            } else {
                EXPECT_EQ(backup, backups[name]) << name;
            }
        }
    }
    // Most kills land before the run's end; the test means nothing otherwise.
    EXPECT_GE(killedMidway, kKills / 2);
}

// The two states a kill can leave that a random moment seldom hits, then the
// same run again: killed while the temporary file was half-written, and
// killed between the two renames (the project's name empty, its content in
// the backup, its rewrite in the temporary file).
TEST(Killed, ThenRunAgainAfterAHalfWrittenTemporaryFileRewritesFromTheProject) {
    TempFolder drive;
    ProjectSet set(drive / "Proyectos", "Proyectos");
    set.add("Ventas.vbp", projectContent(6000, 31));
    writeBytes(set.file("Ventas.NVO"), set.originals().at("Ventas.vbp").substr(0, 1000));

    const ChildResult r = runChild(replaceRun(drive, set, Answers::Ignore));

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_EQ(r.failureBoxes(), 0) << r.describe();
    EXPECT_TRUE(set.wasRewritten("Ventas.vbp", kBuscar, kReemplazo));
    EXPECT_FALSE(fs::exists(set.file("Ventas.NVO")));
}

TEST(Killed, ThenRunAgainBetweenTheTwoRenamesKeepsTheBackup) {
    TempFolder drive;
    ProjectSet set(drive / "Proyectos", "Proyectos");
    set.add("Ventas.vbp", projectContent(6000, 32));
    const std::string original = set.originals().at("Ventas.vbp");
    fs::rename(set.file("Ventas.vbp"), set.file("Ventas.OLD"));
    writeBytes(set.file("Ventas.NVO"), rewritten(original, kBuscar, kReemplazo));

    const ChildResult r = runChild(replaceRun(drive, set, Answers::RetryThenIgnore));

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_TRUE(r.showed(description(err::kFileNotFound))) << r.describe();
    EXPECT_EQ(set.bytesOf("Ventas.OLD"), original);
    EXPECT_EQ(set.bytesOf("Ventas.NVO"), rewritten(original, kBuscar, kReemplazo));
    EXPECT_FALSE(fs::exists(set.file("Ventas.vbp")));
}

// ---------------------------------------------------------------------------
// Rights taken away. The host's super-user passes every permission check, so
// when the tests run as root the child drops to the unprivileged user
// "nobody" (65534), owner of the whole tree, before the run.

constexpr uid_t kNobody = 65534;

bool runningAsRoot() {
    return ::geteuid() == 0;
}

void giveTreeTo(const fs::path& root, uid_t uid) {
    if (::chown(root.c_str(), uid, uid) != 0) std::abort();
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (::lchown(e.path().c_str(), uid, uid) != 0) std::abort();
    }
}

void becomeNobody() {
    if (!runningAsRoot()) return;
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
        std::abort();
}

struct RightsCase {
    const char* name;
    // Takes the right away; gets the set, and the host folder of the drive.
    void (*fault)(ProjectSet&);
    bool needsAnotherUser;  // the fault needs a file that belongs to someone else
    int expectedFailure;
    const char* untouched;  // the project that must keep its content under its name
};

const RightsCase kRightsCases[] = {
    {"ProjectFileUnreadable",
     [](ProjectSet& set) { fs::permissions(set.file("Bloqueado.vbp"), fs::perms::none); }, false,
     err::kPermissionDenied, "Bloqueado.vbp"},
    {"ProjectFolderReadOnly",
     [](ProjectSet& set) {
         fs::permissions(set.folder(), fs::perms::owner_read | fs::perms::owner_exec |
                                           fs::perms::group_read | fs::perms::others_read);
     },
     false, err::kPermissionDenied, "Bloqueado.vbp"},
    {"BackupOfAnotherUser",
     [](ProjectSet& set) {
         // In a folder with the sticky bit only the owner of a file or of the
         // folder may delete the file: the earlier backup, in root's folder and
         // root's own, cannot be deleted by the run.
         writeBytes(set.file("Bloqueado.OLD"), "respaldo de otro usuario\r\n");
         if (::chown(set.file("Bloqueado.OLD").c_str(), 0, 0) != 0) std::abort();
         if (::chown(set.folder().c_str(), 0, 0) != 0) std::abort();
         fs::permissions(set.folder(), fs::perms::all | fs::perms::sticky_bit);
     },
     true, err::kPermissionDenied, "Bloqueado.vbp"},
};

class RightsTakenAway : public ::testing::TestWithParam<RightsCase> {};

TEST_P(RightsTakenAway, ShowsTheFailureAndKeepsEveryProjectsContent) {
    const RightsCase& c = GetParam();
    if (c.needsAnotherUser && !runningAsRoot())
        GTEST_SKIP() << "a file of another user can only be made by root";
    for (Answers answers : {Answers::Ignore, Answers::RetryThenIgnore}) {
        SCOPED_TRACE(answersName(answers));
        TempFolder drive;
        ProjectSet set(drive / "Proyectos", "Proyectos");
        set.add("Abierto.vbp", projectContent(5000, 7));
        set.add("Bloqueado.vbp", projectContent(5000, 8));
        set.add("Otro.vbp", projectContent(5000, 9));
        if (runningAsRoot()) giveTreeTo(drive.path(), kNobody);
        c.fault(set);

        ChildRunSpec plan = replaceRun(drive, set, answers);
        plan.beforeRun = becomeNobody;
        const ChildResult r = runChild(std::move(plan));

        ASSERT_TRUE(r.returned()) << r.describe();
        EXPECT_TRUE(r.showed(description(c.expectedFailure))) << r.describe();
        EXPECT_TRUE(r.showed(kFinalizado)) << r.describe();
        expectNothingLost(set);
        EXPECT_EQ(set.bytesOf(c.untouched), set.originals().at(c.untouched));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RightsTakenAway, ::testing::ValuesIn(kRightsCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Between the listing and the run, a project file is deleted, or deleted and
// a folder made under its name.

TEST(ChangedAfterListing, ADeletedProjectIsReportedAndTheOthersAreRewritten) {
    TempFolder drive;
    ProjectSet set(drive / "Proyectos", "Proyectos");
    set.add("Antes.vbp", projectContent(4000, 11));
    set.add("Despues.vbp", projectContent(4000, 12));
    ChildRunSpec plan = replaceRun(drive, set, Answers::RetryThenIgnore);
    plan.form.add(set.programPath("Borrado.vbp"), true);  // listed, then deleted
    std::sort(plan.form.list.begin(), plan.form.list.end(),
              [](const auto& a, const auto& b) { return a.text < b.text; });

    const ChildResult r = runChild(std::move(plan));

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_TRUE(r.showed(description(err::kFileNotFound))) << r.describe();
    EXPECT_TRUE(set.wasRewritten("Antes.vbp", kBuscar, kReemplazo));
    EXPECT_TRUE(set.wasRewritten("Despues.vbp", kBuscar, kReemplazo));
    // Nothing is made under the deleted project's names.
    EXPECT_FALSE(fs::exists(set.file("Borrado.vbp")));
    EXPECT_FALSE(fs::exists(set.file("Borrado.NVO")));
    EXPECT_FALSE(fs::exists(set.file("Borrado.OLD")));
}

TEST(ChangedAfterListing, AProjectReplacedByAFolderIsReportedAndTheFolderKept) {
    TempFolder drive;
    ProjectSet set(drive / "Proyectos", "Proyectos");
    set.add("Antes.vbp", projectContent(4000, 13));
    ChildRunSpec plan = replaceRun(drive, set, Answers::RetryThenIgnore);
    plan.form.add(set.programPath("Carpeta.vbp"), true);
    writeBytes(set.file("Carpeta.vbp/dentro.txt"), "dentro");

    const ChildResult r = runChild(std::move(plan));

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_GE(r.failureBoxes(), 1) << r.describe();
    EXPECT_TRUE(set.wasRewritten("Antes.vbp", kBuscar, kReemplazo));
    EXPECT_TRUE(fs::is_directory(set.file("Carpeta.vbp")));
    EXPECT_EQ(readBytes(set.file("Carpeta.vbp/dentro.txt")), "dentro");
    EXPECT_FALSE(fs::exists(set.file("Carpeta.OLD")));
}

// ---------------------------------------------------------------------------
// No file descriptors left: the limit of open files is set so that the
// project file cannot be opened, or so that it can but its temporary file
// cannot.

class TooManyOpenFiles : public ::testing::TestWithParam<int> {};

TEST_P(TooManyOpenFiles, ShowsTheFailureAndTouchesNothing) {
    const int opensThatSucceed = GetParam();
    TempFolder drive;
    ProjectSet set(drive / "Proyectos", "Proyectos");
    set.add("Ventas.vbp", projectContent(8000, 21));
    ChildRunSpec plan = replaceRun(drive, set, Answers::RetryThenIgnore);
    plan.beforeRun = [opensThatSucceed] {
        // The lowest free descriptor is the next one an open gets.
        const int next = ::dup(0);
        ::close(next);
        limitOpenFiles(static_cast<rlim_t>(next + opensThatSucceed));
    };

    const ChildResult r = runChild(std::move(plan));

    ASSERT_TRUE(r.returned()) << r.describe();
    EXPECT_TRUE(r.showed(description(err::kTooManyFiles))) << r.describe();
    EXPECT_TRUE(r.showed(kFinalizado)) << r.describe();
    expectNothingLost(set);
    EXPECT_EQ(set.bytesOf("Ventas.vbp"), set.originals().at("Ventas.vbp"));
    EXPECT_FALSE(fs::exists(set.file("Ventas.OLD")));
}

INSTANTIATE_TEST_SUITE_P(Limits, TooManyOpenFiles, ::testing::Values(0, 1), [](const auto& info) {
    return info.param == 0 ? std::string("NoneLeft") : std::string("OnlyTheProjectOpens");
});

}  // namespace
}  // namespace morvane::testing

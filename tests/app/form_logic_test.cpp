// The window's behaviour without a toolkit: FormLogic over a plain fake of
// the controls, with the real file and process services on a temporary
// drive. Where the load puts the window, what a change of drive or folder
// lists, what a failed listing shows, the press of CmdOK and closing the
// window, idle or while a run waits for the compiler.
#include "app/form_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/form_controls.h"
#include "platform/failure.h"
#include "platform/host_components.h"
#include "platform/host_files.h"
#include "platform/processes/host_processes.h"
#include "support/scripted_window.h"
#include "support/temp_drive.h"

#define MORVANE_STAND_IN_DIR MORVANE_STANDIN_BIN
#include "ops/build/stand_in.h"

namespace morvane::testing {
namespace {

namespace fs = std::filesystem;

// The controls as plain values. The folder list takes a folder that exists on
// the drive table (a drive alone for that drive's current folder), fails with
// 76 otherwise, and reports each change of its path as a folder list does.
// The project list keeps its entries sorted without regard to letter case.
class FakeWindow : public ScriptedForm, public FormControls {
  public:
    explicit FakeWindow(DriveTable& drives) : drives_(drives) { dir = "C:\\"; }

    FormLogic* logic = nullptr;  // where the folder list reports its changes
    std::string drive = "c:";    // Drive1's selection
    std::optional<PixelRect> screen = PixelRect{0, 0, 1920, 1080};
    PixelSize outer{564, 466};
    int dpi = 96;
    bool screenFails = false;
    std::optional<std::pair<int, int>> movedTo;
    bool closed = false;

    std::string selectedDrive() const override { return drive; }
    void showDrive(char letter) override {
        if (drives_.hasDrive(letter))
            drive = {static_cast<char>(std::tolower(static_cast<unsigned char>(letter))), ':'};
    }
    void setFolderPath(const std::string& path) override {
        std::string target = path;
        if (path.size() == 2 && path[1] == ':') {
            if (!drives_.hasDrive(path[0])) throw Failure(err::kPathNotFound);
            target = drives_.currentFolder(path[0]);
        }
        std::error_code ec;
        if (!fs::is_directory(drives_.toHost(target), ec)) throw Failure(err::kPathNotFound);
        const bool changed = target != dir;
        dir = target;
        if (changed && logic != nullptr) logic->folderChanged();
    }
    void clearProjects() override { list.clear(); }
    void setProjects(const std::vector<std::string>& entries) override {
        list.clear();
        for (const std::string& e : entries) add(e);
        std::stable_sort(list.begin(), list.end(), [](const Entry& a, const Entry& b) {
            return std::lexicographical_compare(
                a.text.begin(), a.text.end(), b.text.begin(), b.text.end(),
                [](char x, char y) { return std::tolower(x) < std::tolower(y); });
        });
    }
    std::optional<PixelRect> screenArea() override {
        if (screenFails) throw Failure(err::kInternal);
        return screen;
    }
    PixelSize outerSize() override { return outer; }
    int dotsPerInch() const override { return dpi; }
    void moveWindow(int left, int top) override { movedTo = {left, top}; }
    void closeAfterProgramEnded() override { closed = true; }

    std::vector<std::string> entries() const {
        std::vector<std::string> out;
        for (const Entry& e : list) out.push_back(e.text);
        return out;
    }

  private:
    DriveTable& drives_;
};

// The host's file services, with a listing that fails when told to.
class ListingFails : public HostFileServices {
  public:
    using HostFileServices::HostFileServices;
    std::optional<Failure> failure;

    std::string dir(const std::string& pattern, int attributes) override {
        if (failure) throw *failure;
        return HostFileServices::dir(pattern, attributes);
    }
};

// The scripted toolkit; a box with an OK button alone is answered without a
// queued answer, as its only answer.
class OkBoxToolkit : public ScriptedToolkit {
  public:
    int msgBox(const std::string& text, int style,
               const std::optional<std::string>& title) override {
        if ((style & 0xF) == 0 && answers.empty()) {
            boxes.push_back({text, style, title});
            return 1;
        }
        return ScriptedToolkit::msgBox(text, style, title);
    }
};

constexpr int kCriticalOk = 16;

class FormLogicTest : public ::testing::Test {
  protected:
    TempDrive drive{'c'};
    ListingFails files{drive.drives()};
    HostComponents components{drive.drives()};
    HostProcesses processes;
    OkBoxToolkit toolkit;
    FakeWindow window{drive.drives()};
    FormLogic logic{window, window};
    Services services{files, components, processes, toolkit, window};

    void SetUp() override {
        window.logic = &logic;
        logic.setServices(services);
    }
    void file(const std::string& rel, std::string_view bytes) {
        writeBytes(drive.host(rel), bytes);
    }
};

// --- Form_Load ---

struct Centring {
    const char* name;
    PixelRect screen;
    PixelSize outer;
    int dpi;
    int left, top;  // where the window's outer corner goes
};

class FormLoadCentres : public FormLogicTest, public ::testing::WithParamInterface<Centring> {};

TEST_P(FormLoadCentres, TheWindowOnItsScreen) {
    const Centring& c = GetParam();
    window.screen = c.screen;
    window.outer = c.outer;
    window.dpi = c.dpi;
    logic.Form_Load();
    ASSERT_TRUE(window.movedTo.has_value());
    EXPECT_EQ(*window.movedTo, std::make_pair(c.left, c.top));
}

INSTANTIATE_TEST_SUITE_P(
    Screens, FormLoadCentres,
    ::testing::Values(
        // 28800 x 16200 twips, the window 8460 x 6990: 10170 and 4605 twips.
        Centring{"FullHd", {0, 0, 1920, 1080}, {564, 466}, 96, 678, 307},
        // A second screen to the right of the first: its own origin counts.
        Centring{"SecondScreen", {1920, 0, 1280, 1024}, {564, 466}, 96, 2278, 279},
        // Half twips are kept until the end, then rounded half away from zero.
        Centring{"OddSizes", {0, 0, 1024, 768}, {565, 467}, 96, 230, 151},
        // Larger than the screen: negative edges, nothing clamped.
        Centring{"LargerThanTheScreen", {0, 0, 800, 600}, {1200, 900}, 96, -200, -150},
        // The same twips at 150 % and 125 % scaling.
        Centring{"At144Dpi", {0, 0, 2880, 1620}, {846, 699}, 144, 1017, 461},
        Centring{"At120Dpi", {0, 0, 2400, 1350}, {705, 583}, 120, 848, 384}),
    [](const ::testing::TestParamInfo<Centring>& info) { return std::string(info.param.name); });

TEST_F(FormLogicTest, FormLoadLeavesTheWindowWhereItIsWhenTheScreenIsUnknownOrFails) {
    window.screen = std::nullopt;
    logic.Form_Load();
    EXPECT_FALSE(window.movedTo.has_value());
    window.screen = PixelRect{0, 0, 1920, 1080};
    window.screenFails = true;
    EXPECT_NO_THROW(logic.Form_Load());
    EXPECT_FALSE(window.movedTo.has_value());
    EXPECT_TRUE(toolkit.boxes.empty());
}

// --- Drive1_Change and Dir1_Change ---

TEST_F(FormLogicTest, AChangeOfFolderListsItsProjectFilesAsFullPaths) {
    file("Proyectos/Ventas.vbp", "");
    file("Proyectos/compras.VBP", "");
    file("Proyectos/leeme.txt", "");
    file("Proyectos/.oculto.vbp", "");
    fs::create_directories(drive.host("Proyectos/Carpeta.vbp"));
    file("Raiz.vbp", "");

    window.setFolderPath("C:\\Proyectos");
    EXPECT_EQ(window.entries(), (std::vector<std::string>{"C:\\Proyectos\\compras.VBP",
                                                          "C:\\Proyectos\\Ventas.vbp"}));
    // The root already ends in a backslash.
    window.setFolderPath("C:\\");
    EXPECT_EQ(window.entries(), std::vector<std::string>{"C:\\Raiz.vbp"});
    EXPECT_TRUE(toolkit.boxes.empty());
}

TEST_F(FormLogicTest, EveryChangeOfFolderDiscardsTheListAndItsMarks) {
    file("A/uno.vbp", "");
    file("B/dos.vbp", "");
    window.setFolderPath("C:\\A");
    window.setListSelected(0, true);
    window.setFolderPath("C:\\B");
    window.setFolderPath("C:\\A");
    EXPECT_EQ(window.entries(), std::vector<std::string>{"C:\\A\\uno.vbp"});
    EXPECT_EQ(window.marks(), std::vector<bool>{false});
    // Without services the list is emptied and nothing is listed.
    FakeWindow inert(drive.drives());
    FormLogic unserved(inert, inert);
    inert.logic = &unserved;
    inert.add("C:\\viejo.vbp");
    inert.setFolderPath("C:\\A");
    EXPECT_TRUE(inert.entries().empty());
}

TEST_F(FormLogicTest, AChangeOfDriveMovesTheFolderListToThatDrivesCurrentFolder) {
    TempFolder other;
    writeBytes(other / "Trabajo/Nomina.vbp", "");
    drive.drives().map('d', other.path());
    drive.drives().setCurrentFolder('d', "D:\\Trabajo");
    file("Proyectos/Ventas.vbp", "");
    window.setFolderPath("C:\\Proyectos");

    window.drive = "d:";
    logic.driveChanged();
    // The fake folder list takes the drive's current folder as the table writes it.
    EXPECT_EQ(window.dirPath(), "d:\\Trabajo");
    EXPECT_EQ(window.entries(), std::vector<std::string>{"d:\\Trabajo\\Nomina.vbp"});
    EXPECT_TRUE(toolkit.boxes.empty());
}

struct BrowsingFailure {
    const char* name;
    int number;
};

class ABrowsingFailure : public FormLogicTest,
                         public ::testing::WithParamInterface<BrowsingFailure> {};

TEST_P(ABrowsingFailure, ShowsItsDescriptionEmptiesTheListAndGivesTheDriveBack) {
    file("Proyectos/Ventas.vbp", "");
    file("Otra/Compras.vbp", "");
    window.setFolderPath("C:\\Proyectos");
    ASSERT_EQ(window.entries().size(), 1u);
    files.failure = Failure(GetParam().number);

    window.setFolderPath("C:\\Otra");  // the listing of the new folder fails
    EXPECT_TRUE(window.entries().empty());
    EXPECT_EQ(toolkit.boxes,
              (std::vector<Box>{{standardDescription(GetParam().number), kCriticalOk, {}}}));

    // A drive that cannot be set: the folder list keeps its path, the drive
    // list goes back to its drive.
    files.failure.reset();
    toolkit.boxes.clear();
    window.drive = "e:";
    logic.driveChanged();
    EXPECT_EQ(toolkit.boxes,
              (std::vector<Box>{{standardDescription(err::kPathNotFound), kCriticalOk, {}}}));
    EXPECT_EQ(window.dirPath(), "C:\\Otra");
    EXPECT_EQ(window.drive, "c:");
    EXPECT_TRUE(window.entries().empty());

    // The window goes on working.
    window.setFolderPath("C:\\Proyectos");
    EXPECT_EQ(window.entries(), std::vector<std::string>{"C:\\Proyectos\\Ventas.vbp"});
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ABrowsingFailure,
    ::testing::Values(BrowsingFailure{"PermissionDenied", err::kPermissionDenied},
                      BrowsingFailure{"DeviceUnavailable", err::kDeviceUnavailable},
                      BrowsingFailure{"DeviceIo", err::kDeviceIo}),
    [](const ::testing::TestParamInfo<BrowsingFailure>& info) {
        return std::string(info.param.name);
    });

TEST_F(FormLogicTest, AFolderTheListCouldNotOpenRecoversTheSameWay) {
    file("Proyectos/Ventas.vbp", "");
    window.setFolderPath("C:\\Proyectos");
    window.drive = "x:";  // what the drive list showed is replaced by the folder's drive
    logic.folderOpenFailed("No se encontró la ruta de acceso");
    EXPECT_TRUE(window.entries().empty());
    EXPECT_EQ(window.drive, "c:");
    EXPECT_EQ(toolkit.boxes,
              (std::vector<Box>{{"No se encontró la ruta de acceso", kCriticalOk, {}}}));
}

// --- CmdOK ---

TEST_F(FormLogicTest, APressOfOkRunsOneWholeRun) {
    file("Proyectos/Alfa.vbp", "Name=\"Comun\"\r\n");
    file("Proyectos/Beta.vbp", "Name=\"Otro\"\r\n");
    window.setFolderPath("C:\\Proyectos");
    window.opcion = 3;
    window.buscar = "comun";
    logic.CmdOK_Click();
    EXPECT_EQ(window.marks(), (std::vector<bool>{true, false}));
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, "Proceso Finalizado");
    EXPECT_EQ(window.caption, "&OK");
    EXPECT_TRUE(logic.closeRequested());  // the run is over
}

TEST_F(FormLogicTest, WithoutServicesAPressDoesNothing) {
    FakeWindow inert(drive.drives());
    FormLogic unserved(inert, inert);
    inert.opcion = 3;
    unserved.CmdOK_Click();
    EXPECT_EQ(inert.caption, "&OK");
    EXPECT_EQ(inert.detalle, "...");
    EXPECT_TRUE(unserved.closeRequested());
}

TEST_F(FormLogicTest, ACancelThatEndsTheProgramByUnwindingClosesTheWindow) {
    window.caption = "&CANCELAR";
    logic.CmdOK_Click();
    EXPECT_TRUE(toolkit.ended);
    EXPECT_TRUE(window.closed);
    EXPECT_EQ(window.detalle, "El proceso fue Cancelado");
}

TEST_F(FormLogicTest, AnErrorThatEscapesARunIsShownAndTheButtonReadsOkAgain) {
    // The failure box of a listed file that is gone cannot be answered: the
    // scripted toolkit throws, and that escapes the run.
    file("Proyectos/Alfa.vbp", "x");
    window.setFolderPath("C:\\Proyectos");
    fs::remove(drive.host("Proyectos/Alfa.vbp"));
    window.opcion = 3;
    EXPECT_NO_THROW(logic.CmdOK_Click());
    ASSERT_GE(toolkit.boxes.size(), 2u);
    EXPECT_EQ(toolkit.boxes.front(),
              (Box{standardDescription(err::kFileNotFound), mb::kAbortRetryIgnoreCritical, {}}));
    EXPECT_EQ(toolkit.boxes.back().style, kCriticalOk);
    EXPECT_NE(toolkit.boxes.back().text.find("unexpected message box"), std::string::npos);
    EXPECT_EQ(window.caption, "&OK");
    EXPECT_FALSE(window.closed);
}

// --- Closing ---

TEST_F(FormLogicTest, ClosingWhenIdleLetsTheWindowCloseAndRunsNothing) {
    file("Proyectos/Alfa.vbp", "");
    window.setFolderPath("C:\\Proyectos");
    window.setListSelected(0, true);
    window.opcion = 2;
    EXPECT_TRUE(logic.closeRequested());
    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_FALSE(toolkit.ended);
    EXPECT_EQ(window.caption, "&OK");
}

TEST_F(FormLogicTest, ClosingWhileARunWaitsForTheCompilerIsTheCancel) {
    TempFolder tmp;
    StandIn standIn(tmp.path());  // each compiler waits for the release file
    file("Proyectos/Uno.vbp", "Type=Exe\r\n");
    window.setFolderPath("C:\\Proyectos");
    window.setListSelected(0, true);
    window.opcion = 2;

    std::optional<bool> mayClose;
    std::string detalleAtClose;
    bool compilerRunning = false;
    toolkit.onDoEvents = [&] {
        if (mayClose) return;
        const auto starts = standIn.starts();
        if (starts.empty()) return;
        compilerRunning = isAlive(starts[0].pid);
        mayClose = logic.closeRequested();
        detalleAtClose = window.detalle;
        writeBytes(standIn.releaseFile(), "\n");  // let the test's compiler end
    };

    logic.CmdOK_Click();

    ASSERT_TRUE(mayClose.has_value());
    EXPECT_FALSE(*mayClose);  // the window stays; the program ends instead
    EXPECT_TRUE(toolkit.ended);
    EXPECT_TRUE(window.closed);
    EXPECT_EQ(detalleAtClose, "El proceso fue Cancelado");
    EXPECT_TRUE(compilerRunning);  // the cancel does not stop the compiler
    EXPECT_EQ(standIn.starts().size(), 1u);
}

}  // namespace
}  // namespace morvane::testing

// Drive1, Dir1 and List1 through the real widgets, with C: mapped to a
// temporary folder: what a change of folder or drive lists, in which order,
// and what a folder that cannot be read does.
#include "app_fixture.h"
#include "platform/failure.h"

namespace morvane::testing {
namespace {

class FolderBrowsingTest : public AppFixture {
  protected:
    // The folder entries of Dir1 as shown, without their indentation.
    std::vector<std::string> folderEntries() const {
        std::vector<std::string> out;
        for (int i = 0; i < form->Dir1->count(); ++i)
            out.push_back(form->Dir1->item(i)->text().trimmed().toStdString());
        return out;
    }
    void clickFolder(const std::string& name) {
        const int row = folderRow(name);
        ASSERT_GE(row, 0) << name;
        QTest::mouseClick(form->Dir1->viewport(), Qt::LeftButton, {}, folderPoint(row));
    }
};

TEST_F(FolderBrowsingTest, ListsTheFoldersProjectFilesAsFullPathsSortedIgnoringCase) {
    file("Proyectos/Ventas.vbp", "Type=Exe\r\n");
    file("Proyectos/compras.vbp", "Type=Exe\r\n");
    file("Proyectos/ALMACEN.VBP", "Type=Exe\r\n");
    file("Proyectos/Zeta.Vbp", "Type=Exe\r\n");
    file("Proyectos/b.vbp", "Type=Exe\r\n");
    file("Proyectos/Facturación.vbp", "Type=Exe\r\n");
    file("Proyectos/.oculto.vbp", "Type=Exe\r\n");  // hidden: not listed
    folder("Proyectos/Carpeta.vbp");                // a folder: not listed
    file("Proyectos/Ventas.vbw", "Form1 = 0\r\n");  // another extension
    file("Proyectos/Ventas.vbp.bak", "Type=Exe\r\n");
    file("Proyectos/Sub/Interno.vbp", "Type=Exe\r\n");  // in a sub-folder

    openFolder("C:\\Proyectos");

    EXPECT_EQ(form->dirPath(), "C:\\Proyectos");
    EXPECT_EQ(entries(), (std::vector<std::string>{
                             "C:\\Proyectos\\ALMACEN.VBP",
                             "C:\\Proyectos\\b.vbp",
                             "C:\\Proyectos\\compras.vbp",
                             "C:\\Proyectos\\Facturación.vbp",
                             "C:\\Proyectos\\Ventas.vbp",
                             "C:\\Proyectos\\Zeta.Vbp",
                         }));
    EXPECT_EQ(marks(), std::vector<bool>(6, false));
    for (int i = 0; i < form->List1->count(); ++i) {
        EXPECT_TRUE(form->List1->item(i)->flags() & Qt::ItemIsUserCheckable);
        EXPECT_EQ(form->List1->item(i)->checkState(), Qt::Unchecked);
    }
    // The run reads the list through the window's interface.
    EXPECT_EQ(form->listCount(), 6);
    EXPECT_EQ(form->listText(1), "C:\\Proyectos\\b.vbp");
    EXPECT_THROW(form->listText(6), Failure);
}

TEST_F(FolderBrowsingTest, AFolderWithoutProjectsGivesAnEmptyList) {
    file("Vacia/leeme.txt", "nada\r\n");
    file("Otra/a.vbp", "Type=Exe\r\n");
    openFolder("C:\\Otra");
    ASSERT_EQ(entries().size(), 1u);
    openFolder("C:\\Vacia");
    EXPECT_TRUE(entries().empty());
}

TEST_F(FolderBrowsingTest, TheDriveRootGetsNoDoubledBackslash) {
    file("Raiz.vbp", "Type=Exe\r\n");
    file("Proyectos/Ventas.vbp", "Type=Exe\r\n");
    openFolder("C:\\Proyectos");
    doubleClickFolder("c:\\");  // the root entry at the top of the folder list
    EXPECT_EQ(form->dirPath(), "C:\\");
    EXPECT_EQ(entries(), std::vector<std::string>{"C:\\Raiz.vbp"});
}

TEST_F(FolderBrowsingTest, FolderListShowsThePathFromTheRootThenTheSubFolders) {
    folder("Proyectos/Ventas/zeta");
    folder("Proyectos/Ventas/Alfa");
    folder("Proyectos/Ventas/beta");
    folder("Proyectos/Ventas/.git");  // hidden
    file("Proyectos/Ventas/archivo.vbp", "");
    openFolder("c:/proyectos/VENTAS");                    // any case, either separator
    EXPECT_EQ(form->dirPath(), "C:\\Proyectos\\Ventas");  // the names as the folder holds them
    EXPECT_EQ(folderEntries(),
              (std::vector<std::string>{"c:\\", "Proyectos", "Ventas", "Alfa", "beta", "zeta"}));
    // The current folder is the highlighted entry.
    EXPECT_EQ(form->Dir1->currentRow(), 2);
    EXPECT_EQ(entries(), std::vector<std::string>{"C:\\Proyectos\\Ventas\\archivo.vbp"});
}

TEST_F(FolderBrowsingTest, OpeningAFolderChangesThePathHighlightingDoesNot) {
    file("Proyectos/Ventas/v.vbp", "");
    file("Proyectos/Compras/c.vbp", "");
    file("Proyectos/p.vbp", "");
    openFolder("C:\\Proyectos");
    form->List1->item(0)->setCheckState(Qt::Checked);

    clickFolder("Ventas");  // a single click only highlights
    EXPECT_EQ(form->dirPath(), "C:\\Proyectos");
    EXPECT_EQ(entries(), std::vector<std::string>{"C:\\Proyectos\\p.vbp"});
    EXPECT_EQ(marks(), std::vector<bool>{true});

    doubleClickFolder("Ventas");
    EXPECT_EQ(form->dirPath(), "C:\\Proyectos\\Ventas");
    EXPECT_EQ(entries(), std::vector<std::string>{"C:\\Proyectos\\Ventas\\v.vbp"});

    // Enter opens the highlighted entry: up to Proyectos, then into Compras.
    form->Dir1->setFocus();
    form->Dir1->setCurrentRow(folderRow("Proyectos"));
    QTest::keyClick(form->Dir1, Qt::Key_Return);
    EXPECT_EQ(form->dirPath(), "C:\\Proyectos");
    EXPECT_EQ(marks(), std::vector<bool>{false});  // rebuilt: the marks went with the list
    form->Dir1->setCurrentRow(folderRow("Compras"));
    QTest::keyClick(form->Dir1, Qt::Key_Enter);
    EXPECT_EQ(entries(), std::vector<std::string>{"C:\\Proyectos\\Compras\\c.vbp"});
}

TEST_F(FolderBrowsingTest, EveryChangeOfFolderRebuildsTheListUnmarked) {
    file("A/uno.vbp", "");
    file("A/dos.vbp", "");
    file("B/tres.vbp", "");
    openFolder("C:\\A");
    markAll();
    openFolder("C:\\B");
    EXPECT_EQ(entries(), std::vector<std::string>{"C:\\B\\tres.vbp"});
    EXPECT_EQ(marks(), std::vector<bool>{false});
    openFolder("C:\\A");
    EXPECT_EQ(entries(), (std::vector<std::string>{"C:\\A\\dos.vbp", "C:\\A\\uno.vbp"}));
    EXPECT_EQ(marks(), (std::vector<bool>{false, false}));
    // The list is a snapshot: a file added later appears only at the next change.
    file("A/cuatro.vbp", "");
    EXPECT_EQ(entries().size(), 2u);
}

TEST_F(FolderBrowsingTest, SelectingADriveListsThatDrivesCurrentFolder) {
    TempFolder other;
    writeBytes(other / "Trabajo/Nomina.vbp", "");
    writeBytes(other / "Trabajo/activo.vbp", "");
    writeBytes(other / "Raiz.vbp", "");
    drive.drives().map('d', other.path());
    drive.drives().setCurrentFolder('d', "d:\\Trabajo");
    form->Drive1->attach(drive.drives());
    file("Proyectos/Ventas.vbp", "");
    openFolder("C:\\Proyectos");

    chooseDrive('d');
    EXPECT_EQ(form->dirPath(), "D:\\Trabajo");
    EXPECT_EQ(entries(),
              (std::vector<std::string>{"D:\\Trabajo\\activo.vbp", "D:\\Trabajo\\Nomina.vbp"}));
    // Back on C:, the folder list shows C:'s current folder, its root.
    chooseDrive('c');
    EXPECT_EQ(form->dirPath(), "C:\\");
    EXPECT_TRUE(entries().empty());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(FolderBrowsingTest, ADriveThatCannotBeReadShowsTheFailureAndKeepsRunning) {
    file("Proyectos/Ventas.vbp", "");
    openFolder("C:\\Proyectos");
    auto gone = std::make_unique<TempFolder>();
    drive.drives().map('e', gone->path());
    form->Drive1->attach(drive.drives());
    gone.reset();  // the drive's folder is no more (a medium taken out)

    chooseDrive('e');
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].request.text, standardDescription(err::kPathNotFound));
    EXPECT_EQ(boxes.shown[0].windowTitle, "Morvane");
    EXPECT_EQ(boxes.shown[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(entries().empty());
    EXPECT_EQ(form->dirPath(), "C:\\Proyectos");
    EXPECT_EQ(form->Drive1->drive(), "c:");  // back on the folder list's drive
    EXPECT_TRUE(form->isVisible());

    // The window goes on working.
    doubleClickFolder("Proyectos");
    openFolder("C:\\");
    openFolder("C:\\Proyectos");
    EXPECT_EQ(entries(), std::vector<std::string>{"C:\\Proyectos\\Ventas.vbp"});
}

TEST_F(FolderBrowsingTest, AFolderThatVanishedShowsTheFailureAndLeavesTheListEmpty) {
    file("Proyectos/Ventas.vbp", "");
    folder("Proyectos/Viejo");
    openFolder("C:\\Proyectos");
    ASSERT_EQ(entries().size(), 1u);
    std::filesystem::remove_all(drive.host("Proyectos/Viejo"));

    doubleClickFolder("Viejo");
    ASSERT_EQ(boxes.texts(), std::vector<std::string>{standardDescription(err::kPathNotFound)});
    EXPECT_TRUE(entries().empty());
    EXPECT_EQ(form->dirPath(), "C:\\Proyectos");
    EXPECT_EQ(form->Drive1->drive(), "c:");
}

TEST_F(FolderBrowsingTest, SettingThePathToAMissingFolderFailsAndChangesNothing) {
    file("Proyectos/Ventas.vbp", "");
    openFolder("C:\\Proyectos");
    try {
        openFolder("C:\\NoExiste");
        FAIL() << "no failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.number(), err::kPathNotFound);
    }
    EXPECT_EQ(form->dirPath(), "C:\\Proyectos");
    EXPECT_EQ(entries().size(), 1u);
}

TEST_F(FolderBrowsingTest, ALongListStaysSortedWhateverOrderTheNamesComeIn) {
    // Names written in an order unrelated to the sorted one, in mixed case.
    std::vector<std::string> expected;
    for (int i = 0; i < 600; ++i) {
        const int n = (i * 7919) % 600;
        const std::string name = (n % 2 ? "P" : "p") + std::to_string(100000 + n) + ".vbp";
        file("Muchos/" + name, "");
        expected.push_back("C:\\Muchos\\" + name);
    }
    std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
        return QString::compare(QString::fromStdString(a), QString::fromStdString(b),
                                Qt::CaseInsensitive) < 0;
    });
    openFolder("C:\\Muchos");
    EXPECT_EQ(entries(), expected);
}

TEST_F(FolderBrowsingTest, AnEntryAddedOneByOneTakesItsSortedPlace) {
    ProjectList& list = *form->List1;
    for (const char* e : {"C:\\m.vbp", "C:\\B.vbp", "C:\\z.vbp", "C:\\a.vbp", "C:\\N.vbp"})
        list.addEntry(e);
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"C:\\a.vbp", "C:\\B.vbp", "C:\\m.vbp",
                                                        "C:\\N.vbp", "C:\\z.vbp"}));
    EXPECT_EQ(marks(), std::vector<bool>(5, false));
}

}  // namespace
}  // namespace morvane::testing

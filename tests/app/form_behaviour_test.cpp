// What the window does by itself: centring at load, keys and buttons that must
// do nothing, the option group, the text boxes' code-page filter, and closing
// the window, idle or while a run waits for the compiler.
#include <QClipboard>
#include <QScreen>
#include <QTimer>

#include "app/centrado.h"
#include "app_fixture.h"

namespace morvane::testing {
namespace {

class FormBehaviourTest : public AppFixture {
  protected:
    // Everything the user could see change.
    struct Snapshot {
        std::vector<std::string> entries;
        std::vector<bool> marks;
        std::string buscar, reemplazar, detalle, caption, title, dir, drive;
        int option;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() const {
        int option = -1;
        for (int i = 0; i < 4; ++i)
            if (form->optTipo(i)) option = i;
        return {entries(),
                marks(),
                form->txtBuscar(),
                form->txtReemplazar(),
                detalle(),
                caption(),
                form->windowTitle().toStdString(),
                form->dirPath(),
                form->Drive1->drive(),
                option};
    }
    void prepareFolder() {
        file("Proyectos/Ventas.vbp", "Type=Exe\r\n");
        file("Proyectos/Compras.vbp", "Type=Exe\r\n");
        openFolder("C:\\Proyectos");
        mark("Ventas.vbp");
        typeBuscar("Ventas");
        typeReemplazar("Compras");
    }
};

TEST(Centrado, HalvesEachSizeOnItsOwnInSinglePrecision) {
    struct Case {
        float screenW, screenH, windowW, windowH, left, top;
    };
    const Case cases[] = {
        {28800, 16200, 8460, 6990, 10170, 4605},       // 1920x1080, the usual window
        {15360, 11520, 8461, 6991, 3449.5f, 2264.5f},  // odd sizes keep their half twip
        {12000, 9000, 20000, 10000, -4000, -500},      // larger than the screen: negative
        {0, 0, 8460, 6990, -4230, -3495},
    };
    for (const Case& c : cases) {
        const Posicion p = centrar(c.screenW, c.screenH, c.windowW, c.windowH);
        EXPECT_FLOAT_EQ(p.left, c.left);
        EXPECT_FLOAT_EQ(p.top, c.top);
    }
    EXPECT_EQ(twipsToPixels(10170), 678);
    EXPECT_EQ(twipsToPixels(-4000), -267);
    EXPECT_EQ(twipsToPixels(3449.5f), 230);
}

TEST_F(FormBehaviourTest, FormLoadCentresTheWindowOnTheScreen) {
    const QRect screen = form->screen()->geometry();
    const QRect outer = form->frameGeometry();
    const Posicion p = centrar(screen.width() * 15.0f, screen.height() * 15.0f,
                               outer.width() * 15.0f, outer.height() * 15.0f);
    EXPECT_EQ(outer.topLeft(),
              screen.topLeft() + QPoint(twipsToPixels(p.left), twipsToPixels(p.top)));
    // Centred: the same room on both sides, give or take the rounding.
    EXPECT_LE(std::abs((outer.left() - screen.left()) - (screen.right() - outer.right())), 2);
    EXPECT_LE(std::abs((outer.top() - screen.top()) - (screen.bottom() - outer.bottom())), 2);
}

TEST_F(FormBehaviourTest, AWindowLargerThanTheScreenGetsNegativeEdges) {
    const QRect screen = form->screen()->geometry();
    QWidget big;
    big.setFixedSize(screen.width() + 400, screen.height() + 300);
    const Posicion p = centrar(screen.width() * 15.0f, screen.height() * 15.0f, big.width() * 15.0f,
                               big.height() * 15.0f);
    EXPECT_EQ(twipsToPixels(p.left), -200);
    EXPECT_EQ(twipsToPixels(p.top), -150);
}

TEST_F(FormBehaviourTest, InvertirAndImprimirDoNothingByMouseOrAccessKey) {
    prepareFolder();
    const Snapshot before = snapshot();
    form->CmdInvertir->click();
    form->CmdImprimir->click();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_N, Qt::AltModifier);
    QTest::keyClick(form.get(), Qt::Key_I, Qt::AltModifier);
    QTest::qWait(250);  // an access key presses its button after a short animation
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(FormBehaviourTest, AltOPressesOk) {
    // With search and replace chosen and no search text, a press shows the refusal.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_O, Qt::AltModifier);
    ASSERT_TRUE(waitUntil([&] { return !boxes.shown.empty(); }, 2000));
    EXPECT_EQ(boxes.shown[0].request.title, std::optional<std::string>("ME HICISTE ENOJAR!!!"));
    EXPECT_EQ(caption(), "&OK");
}

TEST_F(FormBehaviourTest, EnterAndEscapePressNoButtonAnywhere) {
    prepareFolder();
    int presses = 0;
    for (QPushButton* b : {form->CmdOK, form->CmdImprimir, form->CmdInvertir})
        QObject::connect(b, &QPushButton::clicked, [&] { ++presses; });
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const Snapshot before = snapshot();
    QWidget* controls[] = {form->List1,      form->Drive1, form->TxtBuscar,   form->TxtReemplazar,
                           form->OptTipo[1], form->CmdOK,  form->CmdImprimir, form->CmdInvertir};
    for (QWidget* w : controls) {
        SCOPED_TRACE(w->objectName().toStdString());
        w->setFocus();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(QApplication::focusWidget(), key);
        QTest::qWait(10);
    }
    EXPECT_EQ(presses, 0);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(FormBehaviourTest, OptionsAreExclusive) {
    for (int chosen : {0, 2, 3, 1}) {
        chooseOption(chosen);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(form->optTipo(i), i == chosen) << chosen << " " << i;
    }
    // The arrow keys move within the group and select as they go.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->OptTipo[1]->setFocus();
    QTest::keyClick(form->OptTipo[1], Qt::Key_Down);
    int selected = 0;
    for (int i = 0; i < 4; ++i) selected += form->optTipo(i) ? 1 : 0;
    EXPECT_EQ(selected, 1);
    EXPECT_FALSE(form->optTipo(1));
}

TEST_F(FormBehaviourTest, TextBoxesTakeOnlyWhatWindows1252Holds) {
    for (QLineEdit* box : {form->TxtBuscar, form->TxtReemplazar}) {
        SCOPED_TRACE(box->objectName().toStdString());
        typeInto(box, "Año € Œuvre ½");
        EXPECT_EQ(box->text().toStdString(), "Año € Œuvre ½");
        // Characters the code page lacks change nothing, typed or pasted.
        typeKeys(box, QString::fromUtf8("日本"));
        typeKeys(box, QString::fromUtf8("\u0141"));  // Ł
        EXPECT_EQ(box->text().toStdString(), "Año € Œuvre ½");
        QApplication::clipboard()->setText(QString::fromUtf8("x日y"));
        box->paste();
        EXPECT_EQ(box->text().toStdString(), "Año € Œuvre ½");
        QApplication::clipboard()->setText(QString::fromUtf8(" ñÑ"));
        box->end(false);
        box->paste();
        EXPECT_EQ(box->text().toStdString(), "Año € Œuvre ½ ñÑ");
    }
    EXPECT_EQ(form->txtBuscar(), "Año € Œuvre ½ ñÑ");
}

TEST_F(FormBehaviourTest, TheTitleStaysForm1) {
    prepareFolder();
    chooseOption(3);
    pressOk();
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Proceso Finalizado"});
    EXPECT_EQ(form->windowTitle(), "Form1");
    EXPECT_EQ(caption(), "&OK");
}

TEST_F(FormBehaviourTest, ClosingWhenIdleEndsNormally) {
    prepareFolder();
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(detalle(), "...");
}

#ifdef MORVANE_STANDIN_BIN
TEST_F(FormBehaviourTest, ClosingWhileARunWaitsForTheCompilerEndsTheProgramAsTheCancelDoes) {
    SharedFolder shared("close_during_wait");
    EXPECT_EXIT(
        {
            standInCompilerFirstOnPath();
            setenv("MORVANE_STANDIN_LOG", (shared / "compiler.log").c_str(), 1);
            setenv("MORVANE_STANDIN_WAIT_MS", "1500", 1);
            file("Proyectos/Uno.vbp", "Type=Exe\r\n");
            file("Proyectos/Dos.vbp", "Type=Exe\r\n");
            openFolder("C:\\Proyectos");
            markAll();
            chooseOption(2);
            // Once the run waits for the first compiler, the user closes the window.
            QTimer closer;
            QObject::connect(&closer, &QTimer::timeout, [&] {
                if (caption() == "&CANCELAR" && std::filesystem::exists(shared / "compiler.log"))
                    form->close();
            });
            closer.start(20);
            pressOk();
            std::fprintf(stderr, "the run went on after the close\n");
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "lblDetalle: El proceso fue Cancelado");
    // One compiler was started, and only one: the second project was never built.
    const std::string log = readBytes(shared / "compiler.log");
    std::size_t starts = 0;
    for (std::size_t at = log.find("start "); at != std::string::npos;
         at = log.find("start ", at + 1))
        ++starts;
    EXPECT_EQ(starts, 1u) << log;
    EXPECT_NE(log.find("Dos.vbp"), std::string::npos) << log;  // list order: Dos before Uno
}
#endif

}  // namespace
}  // namespace morvane::testing

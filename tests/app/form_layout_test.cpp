// Form1 as stored: every control's kind, caption, place, size and tab order,
// the window's own settings, and its state when first shown.
#include <QComboBox>
#include <QFontInfo>

#include "app_fixture.h"

namespace morvane::testing {
namespace {

struct StoredControl {
    const char* name;
    const char* kind;  // Qt class that stands for the control's kind
    const char* caption;
    int left, top, width, height;  // twips
    int tab;                       // -1: never takes the focus
};

// The window's description, in the order in which it stores its controls.
const StoredControl kStored[] = {
    {"CmdInvertir", "QPushButton", "I&nvertir Seleccion", 6360, 3720, 1815, 255, 14},
    {"CmdImprimir", "QPushButton", "&Imprimir ", 6360, 3240, 1815, 255, 13},
    {"OptTipo_3", "QRadioButton", "Buscar en VBP'S", 120, 3840, 1695, 255, 12},
    {"OptTipo_2", "QRadioButton", "Generar Ejecutables de los Proyectos Seleccionados", 120, 3120,
     4335, 255, 6},
    {"CmdOK", "QPushButton", "&OK", 6360, 2760, 1815, 255, 10},
    {"OptTipo_1", "QRadioButton", "Buscar y reemplazar en VBP'S", 120, 3480, 2775, 255, 7},
    {"OptTipo_0", "QRadioButton", "Generar un VBG (Visual Basic Group)", 120, 2760, 4455, 255, 5},
    {"TxtReemplazar", "QLineEdit", "", 120, 4920, 8175, 285, 4},
    {"TxtBuscar", "QLineEdit", "", 120, 4320, 8175, 285, 3},
    {"Dir1", "morvane::FolderList", nullptr, 120, 480, 3015, 2115, 2},
    {"Drive1", "morvane::DriveList", nullptr, 120, 120, 3015, 315, 1},
    {"List1", "morvane::ProjectList", nullptr, 3240, 120, 5055, 2535, 0},
    {"lblDetalle", "QLabel", "...", 120, 5280, 8175, 735, -1},
    {"Label1_1", "QLabel", "Reemplazar Por...", 120, 4680, 2415, 255, -1},
    {"Label1_0", "QLabel", "Buscar", 120, 4080, 2415, 255, -1},
};

QString captionOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return {};
}

class FormLayoutTest : public AppFixture {};

TEST_F(FormLayoutTest, EveryControlAsStored) {
    int controls = 0;
    for (const StoredControl& c : kStored) {
        SCOPED_TRACE(c.name);
        auto* w = form->findChild<QWidget*>(c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_STREQ(w->metaObject()->className(), c.kind);
        if (c.caption) EXPECT_EQ(captionOf(w).toStdString(), c.caption);
        EXPECT_EQ(w->geometry(), QRect(c.left / 15, c.top / 15, c.width / 15, c.height / 15));
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(w->isEnabled());
        if (c.tab < 0) EXPECT_EQ(w->focusPolicy(), Qt::NoFocus);
        ++controls;
    }
    EXPECT_EQ(controls, 15);
}

// The controls that Tab visits from List1, in order, once round the window.
std::vector<std::string> tabRound(Form1& form) {
    form.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    form.List1->setFocus();
    std::vector<std::string> visited;
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const std::string name = QApplication::focusWidget()->objectName().toStdString();
        visited.push_back(name);
        if (name == "List1") break;
    }
    return visited;
}

TEST_F(FormLayoutTest, TabOrderFollowsTheStoredTabIndexes) {
    // Stored tab indexes: List1 0, Drive1 1, Dir1 2, TxtBuscar 3, TxtReemplazar 4,
    // OptTipo(0) 5, OptTipo(2) 6, OptTipo(1) 7, CmdOK 10, OptTipo(3) 12,
    // CmdImprimir 13, CmdInvertir 14. Of the options only the selected one is
    // reached, at its own place.
    EXPECT_EQ(tabRound(*form),
              (std::vector<std::string>{"Drive1", "Dir1", "TxtBuscar", "TxtReemplazar", "OptTipo_1",
                                        "CmdOK", "CmdImprimir", "CmdInvertir", "List1"}));
    chooseOption(3);
    EXPECT_EQ(tabRound(*form),
              (std::vector<std::string>{"Drive1", "Dir1", "TxtBuscar", "TxtReemplazar", "CmdOK",
                                        "OptTipo_3", "CmdImprimir", "CmdInvertir", "List1"}));
    chooseOption(0);
    EXPECT_EQ(tabRound(*form),
              (std::vector<std::string>{"Drive1", "Dir1", "TxtBuscar", "TxtReemplazar", "OptTipo_0",
                                        "CmdOK", "CmdImprimir", "CmdInvertir", "List1"}));
}

TEST_F(FormLayoutTest, WindowSettings) {
    EXPECT_EQ(form->windowTitle().toStdString(), "Form1");
    EXPECT_EQ(form->size(), QSize(8340 / 15, 6345 / 15));
    // The icon in its three images: 32x32 two colours, 32x32 and 16x16 in 16 colours.
    const QList<QSize> sizes = form->windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    for (const char* file : {":/morvane/icon-32x32-2.xpm", ":/morvane/icon-32x32-16.xpm",
                             ":/morvane/icon-16x16-16.xpm"}) {
        SCOPED_TRACE(file);
        const QImage image(file);
        ASSERT_FALSE(image.isNull());
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) != 0) colours.insert(image.pixel(x, y));
        const bool two = QString(file).contains("-2.");
        EXPECT_EQ(image.width(), QString(file).contains("16x16") ? 16 : 32);
        if (two)
            EXPECT_EQ(colours.size(), 2);
        else
            EXPECT_LE(colours.size(), 16);
    }
}

TEST_F(FormLayoutTest, LabelsFontsAndStatusLine) {
    for (QLabel* label : form->Label1) {
        SCOPED_TRACE(label->objectName().toStdString());
        EXPECT_EQ(label->font().family(), "Times New Roman");
        EXPECT_EQ(label->font().pointSize(), 12);
        EXPECT_TRUE(label->font().bold());
        EXPECT_TRUE(label->font().italic());
    }
    EXPECT_EQ(form->lblDetalle->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(form->lblDetalle->wordWrap());
    // Paths may hold '<' or '&': the status line shows text as it is.
    EXPECT_EQ(form->lblDetalle->textFormat(), Qt::PlainText);
    for (QWidget* w : {static_cast<QWidget*>(form->CmdOK), static_cast<QWidget*>(form->TxtBuscar),
                       static_cast<QWidget*>(form->lblDetalle)}) {
        EXPECT_EQ(w->font(), form->font()) << w->objectName().toStdString();
    }
}

TEST_F(FormLayoutTest, EveryCaptionFitsItsControl) {
    // The window's font stands in for the target desktop's MS Sans Serif 8 pt,
    // for which the controls were sized.
    EXPECT_EQ(form->font().pointSize(), 8);
    for (QAbstractButton* b : {static_cast<QAbstractButton*>(form->CmdOK),
                               static_cast<QAbstractButton*>(form->CmdImprimir),
                               static_cast<QAbstractButton*>(form->CmdInvertir),
                               static_cast<QAbstractButton*>(form->OptTipo[0]),
                               static_cast<QAbstractButton*>(form->OptTipo[1]),
                               static_cast<QAbstractButton*>(form->OptTipo[2]),
                               static_cast<QAbstractButton*>(form->OptTipo[3])}) {
        EXPECT_LE(b->sizeHint().width(), b->width()) << b->objectName().toStdString();
    }
    for (QLabel* l : form->Label1) {
        EXPECT_LE(l->sizeHint().width(), l->width()) << l->objectName().toStdString();
    }
}

TEST_F(FormLayoutTest, InitialState) {
    EXPECT_EQ(form->List1->count(), 0);
    EXPECT_EQ(form->txtBuscar(), "");
    EXPECT_EQ(form->txtReemplazar(), "");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(form->optTipo(i), i == 1) << i;
    EXPECT_EQ(detalle(), "...");
    EXPECT_EQ(caption(), "&OK");
    for (QPushButton* b : {form->CmdOK, form->CmdImprimir, form->CmdInvertir}) {
        EXPECT_FALSE(b->isDefault());
        EXPECT_FALSE(b->autoDefault());
    }
    // The drive and folder lists show the start drive and its current folder.
    EXPECT_EQ(form->Drive1->drive(), "c:");
    EXPECT_EQ(form->dirPath(), "C:\\");
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(QApplication::focusWidget(), form->List1);
}

TEST_F(FormLayoutTest, ProjectListStartsEmptyWhateverTheFolderHolds) {
    // A folder with projects, current before the window is built.
    file("Ventas.vbp", "Type=Exe\r\n");
    Form1 fresh(drive.drives());
    fresh.setServices(*services);
    fresh.Form_Load();
    fresh.show();
    EXPECT_EQ(fresh.List1->count(), 0);
    EXPECT_EQ(fresh.dirPath(), "C:\\");
}

}  // namespace
}  // namespace morvane::testing

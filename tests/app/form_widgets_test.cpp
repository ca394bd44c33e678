// Form1's widgets on Qt against the window's description: each control as
// the widget of its kind, in its place at 96 dots per inch, with its caption,
// font, settings and access key; and a window built from another
// description follows that description, not Form1's.
#include "app/form_widgets.h"

#include <QKeySequence>
#include <limits>

#include "app/form_description.h"
#include "app_fixture.h"

namespace morvane::testing {
namespace {

const char* qtClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::CommandButton:
            return "QPushButton";
        case ControlKind::OptionButton:
            return "QRadioButton";
        case ControlKind::TextBox:
            return "QLineEdit";
        case ControlKind::DriveList:
            return "morvane::DriveList";
        case ControlKind::FolderList:
            return "morvane::FolderList";
        case ControlKind::ListBox:
            return "morvane::ProjectList";
        case ControlKind::Label:
            return "QLabel";
    }
    return "";
}

QString captionOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return {};
}

void expectFont(const QFont& font, const FontDescription& f) {
    EXPECT_EQ(font.family().toStdString(), f.family);
    EXPECT_EQ(font.pointSize(), f.points);
    EXPECT_EQ(font.bold(), f.bold);
    EXPECT_EQ(font.italic(), f.italic);
}

class FormWidgets : public AppFixture, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(FormWidgets, TheControlAsDescribed) {
    const WindowDescription& window = form1Description();
    const ControlDescription& c = window.controls[GetParam()];
    auto* w = form->findChild<QWidget*>(objectNameOf(c), Qt::FindDirectChildrenOnly);
    ASSERT_NE(w, nullptr);
    EXPECT_STREQ(w->metaObject()->className(), qtClassOf(c.kind));
    const PixelRect r = pixelsOf(c, 96);
    EXPECT_EQ(w->geometry(), QRect(r.left, r.top, r.width, r.height));
    if (c.kind != ControlKind::DriveList && c.kind != ControlKind::FolderList &&
        c.kind != ControlKind::ListBox)
        EXPECT_EQ(captionOf(w).toStdString(), c.caption);
    expectFont(w->font(), c.settings.font ? *c.settings.font : window.font);
    EXPECT_EQ(w->focusPolicy() == Qt::NoFocus, !takesFocus(c.kind));
    if (auto* option = qobject_cast<QRadioButton*>(w))
        EXPECT_EQ(option->isChecked(), c.settings.selected);
    if (auto* box = qobject_cast<QLineEdit*>(w)) {
        ASSERT_EQ(c.settings.maxLength, kNoLengthLimit);
        EXPECT_EQ(box->maxLength(), std::numeric_limits<int>::max());
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
        EXPECT_EQ(label->wordWrap(), c.settings.wraps);
        EXPECT_EQ((label->alignment() & Qt::AlignHCenter) != 0,
                  c.settings.alignment == TextAlignment::Center);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
    }
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        // Qt reads the access key from the caption the same way.
        const char key = accessKey(c.caption);
        ASSERT_NE(key, '\0');
        EXPECT_EQ(QKeySequence::mnemonic(button->text()),
                  QKeySequence(Qt::ALT | static_cast<Qt::Key>(std::toupper(key))));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Form1, FormWidgets, ::testing::Range<std::size_t>(0, form1Description().controls.size()),
    [](const ::testing::TestParamInfo<std::size_t>& info) {
        return objectNameOf(form1Description().controls[info.param]).toStdString();
    });

TEST(FormWidgetsFromADescription, FollowTheDescriptionGiven) {
    constexpr ControlDescription controls[] = {
        {"Nombre",
         -1,
         ControlKind::TextBox,
         "inicial",
         {150, 300, 1500, 300},
         3,
         {.maxLength = 10}},
        {"Aceptar", -1, ControlKind::CommandButton, "&Aceptar", {1800, 300, 1200, 300}, 1},
        {"Cancelar", -1, ControlKind::CommandButton, "&Cancelar", {1800, 600, 1200, 300}, 0},
        {"Titulo",
         -1,
         ControlKind::Label,
         "Nombre:",
         {150, 0, 1500, 300},
         2,
         {.font = FontDescription{"Courier New", 10, false, true}}},
    };
    const WindowDescription description{"Prueba", "Una prueba", 3000, 900, {"Arial", 9}, controls};
    QWidget window;
    buildWidgets(window, description);

    EXPECT_EQ(window.objectName(), "Prueba");
    EXPECT_EQ(window.windowTitle(), "Una prueba");
    EXPECT_EQ(window.size(), QSize(200, 60));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    expectFont(window.font(), description.font);
    auto* box = window.findChild<QLineEdit*>("Nombre");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "inicial");
    EXPECT_EQ(box->maxLength(), 10);
    EXPECT_EQ(box->geometry(), QRect(10, 20, 100, 20));
    auto* button = window.findChild<QPushButton*>("Aceptar");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "&Aceptar");
    EXPECT_FALSE(button->autoDefault());
    auto* label = window.findChild<QLabel*>("Titulo");
    ASSERT_NE(label, nullptr);
    expectFont(label->font(), *controls[3].settings.font);
    // Tab goes round by tab index, whatever the order of creation; the label
    // takes no focus.
    std::vector<std::string> tabStops;
    for (QWidget* w = button->nextInFocusChain(); w != button; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus) tabStops.push_back(w->objectName().toStdString());
    }
    EXPECT_EQ(tabStops, (std::vector<std::string>{"Nombre", "Cancelar"}));
}

}  // namespace
}  // namespace morvane::testing

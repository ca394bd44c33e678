// The Qt toolkit's services: message boxes by style code and answer code,
// the application's title, Spanish buttons through Qt's translations, the
// input box, pending events, and ending the program.
#include <QTimer>
#include <QTranslator>

#include "app_fixture.h"
#include "platform/qt/qt_translations.h"

namespace morvane::testing {
namespace {

class ToolkitTest : public ::testing::Test {
  protected:
    QtToolkit toolkit;
    BoxAnswers boxes;
    void SetUp() override { boxes.attach(toolkit); }
};

struct StyleCase {
    int style;
    std::vector<QMessageBox::StandardButton> buttons;  // in order, the first the default
    QMessageBox::Icon icon;
    std::vector<int> answers;  // the code of each button
};

TEST_F(ToolkitTest, MessageBoxStylesGiveTheirButtonsIconAndAnswers) {
    const StyleCase cases[] = {
        {mb::kOkQuestion, {QMessageBox::Ok}, QMessageBox::Question, {1}},
        {mb::kYesNoQuestion,
         {QMessageBox::Yes, QMessageBox::No},
         QMessageBox::Question,
         {mb::kYes, mb::kNo}},
        {mb::kAbortRetryIgnoreCritical,
         {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore},
         QMessageBox::Critical,
         {mb::kAbort, mb::kRetry, mb::kIgnore}},
        {16, {QMessageBox::Ok}, QMessageBox::Critical, {1}},
    };
    for (const StyleCase& c : cases) {
        for (int answer : c.answers) {
            SCOPED_TRACE("style " + std::to_string(c.style) + " answer " + std::to_string(answer));
            std::vector<QMessageBox::StandardButton> shownButtons;
            QMessageBox::StandardButton shownDefault = QMessageBox::NoButton;
            QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
            toolkit.setDialogObserver([&](QDialog& d, const DialogRequest&) {
                auto& box = static_cast<QMessageBox&>(d);
                for (QAbstractButton* b : box.buttons())
                    shownButtons.push_back(box.standardButton(b));
                shownDefault = box.standardButton(box.defaultButton());
                shownIcon = box.icon();
                for (QAbstractButton* b : box.buttons())
                    if (answerCodeOfButton(box.standardButton(b)) == answer) b->click();
            });
            EXPECT_EQ(toolkit.msgBox("Texto", c.style, std::string("Titulo")), answer);
            std::sort(shownButtons.begin(), shownButtons.end());
            auto expected = c.buttons;
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(shownButtons, expected);
            EXPECT_EQ(shownDefault, c.buttons.front());
            EXPECT_EQ(shownIcon, c.icon);
        }
    }
}

TEST_F(ToolkitTest, ABoxWithoutTitleShowsTheApplicationsTitle) {
    toolkit.msgBox("Sin titulo", mb::kOkQuestion);
    toolkit.msgBox("Con titulo", mb::kOkQuestion, std::string("Atención!!!"));
    toolkit.msgBox("Proceso Finalizado", mb::kOkQuestion, std::string(""));
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].windowTitle, "Morvane");
    EXPECT_EQ(boxes.shown[1].windowTitle, "Atención!!!");
    EXPECT_EQ(boxes.shown[2].windowTitle, "Morvane");
    EXPECT_EQ(boxes.shown[1].request.text, "Con titulo");
    EXPECT_FALSE(boxes.shown[0].request.title.has_value());
    EXPECT_EQ(boxes.shown[2].request.title, std::optional<std::string>(""));
}

TEST_F(ToolkitTest, ASpanishDesktopGetsSpanishButtons) {
    ASSERT_TRUE(installQtTranslations(*QCoreApplication::instance(), QLocale(QLocale::Spanish)))
        << "Qt's Spanish translations (qt6-translations-l10n) are missing";
    boxes.answers = {mb::kYes, mb::kIgnore};
    toolkit.msgBox("¿Seguro?", mb::kYesNoQuestion);
    toolkit.msgBox("Falla", mb::kAbortRetryIgnoreCritical);
    // Remove what was installed, so other tests see Qt's own texts.
    for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    ASSERT_EQ(boxes.shown.size(), 2u);
    auto sorted = [](std::vector<std::string> v) {
        for (auto& s : v) s.erase(std::remove(s.begin(), s.end(), '&'), s.end());
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(sorted(boxes.shown[0].buttons), (std::vector<std::string>{"No", "Sí"}));
    EXPECT_EQ(sorted(boxes.shown[1].buttons),
              (std::vector<std::string>{"Anular", "Omitir", "Reintentar"}));
}

TEST_F(ToolkitTest, PreparingTheBoxesShowsNothingAndLeavesNothingBehind) {
    QWidget window;
    window.show();
    toolkit.setParentWindow(&window);
    toolkit.prepareBoxes();
    QCoreApplication::processEvents();
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w != &window && w->isVisible()) << w->metaObject()->className();
    EXPECT_TRUE(window.findChildren<QMessageBox*>().empty());
    EXPECT_TRUE(boxes.shown.empty());

    toolkit.msgBox("Proceso Finalizado", mb::kOkQuestion, std::string(""));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].windowTitle, "Morvane");
    EXPECT_EQ(boxes.shown[0].request.text, "Proceso Finalizado");
}

TEST_F(ToolkitTest, InputBoxGivesTheTypedTextOrEmptyWhenCancelled) {
    boxes.inputs = {std::string("Grupo Ventas"), std::nullopt};
    EXPECT_EQ(toolkit.inputBox("Nombre del grupo", "Grupo"), "Grupo Ventas");
    EXPECT_EQ(toolkit.inputBox("Nombre del grupo", "Grupo"), "");
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].windowTitle, "Grupo");
    EXPECT_EQ(boxes.shown[0].request.kind, DialogRequest::Kind::Input);
    EXPECT_EQ(boxes.shown[0].request.text, "Nombre del grupo");
}

TEST_F(ToolkitTest, InputBoxStartsEmpty) {
    QString initial = "not read";
    toolkit.setDialogObserver([&](QDialog& d, const DialogRequest&) {
        auto& input = static_cast<QInputDialog&>(d);
        initial = input.textValue();
        input.accept();
    });
    EXPECT_EQ(toolkit.inputBox("Nombre", "T"), "");
    EXPECT_EQ(initial, "");
}

TEST_F(ToolkitTest, DoEventsRunsThePendingHandlers) {
    int ran = 0;
    QTimer::singleShot(0, [&] { ++ran; });
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { ++ran; }, Qt::QueuedConnection);
    EXPECT_EQ(ran, 0);
    toolkit.doEvents();
    EXPECT_EQ(ran, 2);
}

TEST_F(ToolkitTest, EndProgramClosesTheFilesThenEndsAtOnce) {
    SharedFolder shared("end_program");
    EXPECT_EXIT(
        {
            DriveTable drives;
            drives.map('c', shared.path());
            HostFileServices files(drives);
            const int n = files.freeFile();
            files.openForOutput("C:\\abierto.txt", n);
            files.printLine(n, "escrito antes del final");
            toolkit.setBeforeEnd([&] {
                for (int i = 1; i <= HostFileServices::kMaxFileNumber; ++i)
                    if (files.isOpen(i)) files.close(i);
                std::fprintf(stderr, "files closed\n");
            });
            toolkit.endProgram();
            std::fprintf(stderr, "went on after the end\n");
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "files closed");
    EXPECT_EQ(readBytes(shared / "abierto.txt"), "escrito antes del final\r\n");
}

TEST_F(ToolkitTest, AnEndingThatUnwindsIsSeenByTheCaller) {
    bool before = false;
    toolkit.setBeforeEnd([&] { before = true; });
    toolkit.setEnding([] { throw ProgramEnded{}; });
    EXPECT_THROW(toolkit.endProgram(), ProgramEnded);
    EXPECT_TRUE(before);
}

}  // namespace
}  // namespace morvane::testing

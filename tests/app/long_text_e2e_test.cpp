// Texts longer than 32,767 characters through the real window: pasted (and
// typed on past that length) into TxtBuscar and TxtReemplazar, they are
// searched and written whole. A project that holds only the text's first
// 32,767 characters must not match, so a box that cut the text short would
// show here as a wrong mark or a shortened replacement.
#include <QClipboard>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "platform/text.h"

namespace morvane::testing {
namespace {

constexpr int kLongText = 40000;
constexpr int kOldLimit = 32767;  // what a text box holds by default

// A text of `length` characters from a small alphabet (one letter outside
// ASCII among them), without spaces, the same for the same seed.
std::string longText(int length, unsigned seed) {
    const QString alphabet = QString::fromUtf8("abcdefghijklmnñopqrstuvwxyz0123456789");
    QString text;
    text.reserve(length);
    unsigned state = seed;
    for (int i = 0; i < length; ++i) {
        state = state * 1103515245u + 12345u;
        text += alphabet[static_cast<int>((state >> 16) % static_cast<unsigned>(alphabet.size()))];
    }
    return text.toStdString();
}

// Equal texts; when they differ, their lengths and the first differing byte,
// not the tens of thousands of characters themselves.
::testing::AssertionResult same(const std::string& actual, const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    return ::testing::AssertionFailure() << "lengths " << actual.size() << " and "
                                         << expected.size() << ", first difference at byte " << at;
}

// The first `n` characters of a UTF-8 text.
std::string firstCharacters(const std::string& utf8, int n) {
    return QString::fromStdString(utf8).left(n).toStdString();
}

class LongTextE2E : public AppFixture {
  protected:
    // Pastes all of `text` but its last few characters, then types those: both
    // ways of entering text must go past the old limit.
    static void enter(QLineEdit* box, const std::string& text) {
        const QString whole = QString::fromStdString(text);
        constexpr int kTyped = 5;
        box->setFocus();
        box->clear();
        QApplication::clipboard()->setText(whole.left(whole.size() - kTyped));
        box->paste();
        typeKeys(box, whole.right(kTyped));
    }

    // A project file whose second line names `text`, in the files' code page.
    std::string project(const std::string& text) const {
        return "Type=Exe\r\nName=\"" + utf8ToAnsi(text) + "\"\r\n";
    }

    const std::string buscar = longText(kLongText, 7);
    const std::string reemplazo = longText(kLongText, 11);
};

TEST_F(LongTextE2E, TheBoxesHoldTheWholeText) {
    enter(form->TxtBuscar, buscar);
    enter(form->TxtReemplazar, reemplazo);
    EXPECT_EQ(form->TxtBuscar->text().size(), kLongText);
    EXPECT_EQ(form->TxtReemplazar->text().size(), kLongText);
    EXPECT_TRUE(same(form->txtBuscar(), buscar));
    EXPECT_TRUE(same(form->txtReemplazar(), reemplazo));
}

TEST_F(LongTextE2E, TheSearchMarksOnlyTheFileWithTheWholeText) {
    file("Proyectos/Completo.vbp", project(buscar));
    file("Proyectos/Recortado.vbp", project(firstCharacters(buscar, kOldLimit)));
    file("Proyectos/Vacio.vbp", "Type=Exe\r\n");
    openFolder("C:\\Proyectos");
    ASSERT_EQ(entries().size(), 3u);
    markAll();
    chooseOption(3);
    enter(form->TxtBuscar, buscar);

    pressOk();

    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Proceso Finalizado"});
    // Completo, Recortado, Vacio.
    EXPECT_EQ(marks(), (std::vector<bool>{true, false, false}));
}

TEST_F(LongTextE2E, SearchAndReplaceWritesTheWholeReplacement) {
    const std::string completo = project(buscar);
    const std::string recortado = project(firstCharacters(buscar, kOldLimit));
    file("Proyectos/Completo.vbp", completo);
    file("Proyectos/Recortado.vbp", recortado);
    openFolder("C:\\Proyectos");
    markAll();
    chooseOption(1);
    enter(form->TxtBuscar, buscar);
    enter(form->TxtReemplazar, reemplazo);
    boxes.answers = {mb::kYes};

    pressOk();

    ASSERT_EQ(boxes.shown.size(), 2u);
    // The confirmation names both texts whole.
    EXPECT_TRUE(same(boxes.shown[0].request.text,
                     "Atención se Buscará la Cadena: " + buscar +
                         "  en el Archivo Seleccinado, y será Reemplazada por: " + reemplazo +
                         " Esta USTED DE ACUERDO, ES SU RESPONSABILIDAD!!!!"));
    EXPECT_EQ(boxes.shown[1].request.text, "Proceso Finalizado");
    EXPECT_TRUE(same(bytesOf("Proyectos/Completo.vbp"), project(reemplazo)));
    EXPECT_TRUE(same(bytesOf("Proyectos/Completo.OLD"), completo));
    // The shorter text is no occurrence: the file is written back as it was.
    EXPECT_TRUE(same(bytesOf("Proyectos/Recortado.vbp"), recortado));
    EXPECT_TRUE(same(bytesOf("Proyectos/Recortado.OLD"), recortado));
    EXPECT_EQ(caption(), "&OK");
}

}  // namespace
}  // namespace morvane::testing

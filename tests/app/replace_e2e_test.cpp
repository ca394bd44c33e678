// Search and replace through the real window, offscreen: the folder opened,
// an entry checked, both texts typed, the confirmation answered, and the
// marked project rewritten with its backup beside it.
#include <QKeyEvent>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app_fixture.h"

namespace morvane::testing {
namespace {

class ReplaceE2E : public AppFixture {
  protected:
    // Types a text into a box key by key, letters outside ASCII included
    // (the way a keyboard with those keys sends them).
    static void teclear(QLineEdit* box, const std::string& utf8) {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        for (const QChar c : QString::fromStdString(utf8)) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(box, &press);
            QApplication::sendEvent(box, &release);
        }
    }

    void proyectos() {
        file("Proyectos/Compras.vbp", "Type=Exe\r\nName=\"Compras\"\r\nObject=Ventas.ocx\r\n");
        file("Proyectos/Ventas.vbp", "Type=Exe\nName=\"Ventas\"\r\nExeName32=\"ventas.exe\"");
        openFolder("C:\\Proyectos");
    }
};

TEST_F(ReplaceE2E, ReescribeElProyectoMarcado) {
    proyectos();
    // An earlier backup, in another letter case, gives way to the new one.
    file("Proyectos/ventas.old", "respaldo anterior\r\n");
    ASSERT_EQ(entries(), (std::vector<std::string>{"C:\\Proyectos\\Compras.vbp",
                                                   "C:\\Proyectos\\Ventas.vbp"}));
    mark("Ventas.vbp");
    chooseOption(1);
    typeBuscar("  Ventas ");
    teclear(form->TxtReemplazar, "Facturación");
    boxes.answers = {mb::kYes};

    pressOk();

    EXPECT_EQ(boxes.texts(),
              (std::vector<std::string>{
                  "Atención se Buscará la Cadena: Ventas  en el Archivo Seleccinado, y será "
                  "Reemplazada por: Facturación Esta USTED DE ACUERDO, ES SU RESPONSABILIDAD!!!!",
                  "Proceso Finalizado"}));
    // The replacement is written in the files' code page; every line ends in CR LF.
    EXPECT_EQ(bytesOf("Proyectos/Ventas.vbp"),
              "Type=Exe\nName=\"Facturaci\xF3n\"\r\nExeName32=\"Facturaci\xF3n.exe\"\r\n");
    EXPECT_EQ(bytesOf("Proyectos/Ventas.OLD"),
              "Type=Exe\nName=\"Ventas\"\r\nExeName32=\"ventas.exe\"");
    // The earlier backup is gone, no temporary file is left, and the unmarked
    // entry got no backup.
    std::vector<std::string> nombres;
    for (const auto& entry : std::filesystem::directory_iterator(drive.host("Proyectos")))
        nombres.push_back(entry.path().filename().string());
    std::sort(nombres.begin(), nombres.end());
    EXPECT_EQ(nombres, (std::vector<std::string>{"Compras.vbp", "Ventas.OLD", "Ventas.vbp"}));
    // The unmarked entry is left alone.
    EXPECT_EQ(bytesOf("Proyectos/Compras.vbp"),
              "Type=Exe\r\nName=\"Compras\"\r\nObject=Ventas.ocx\r\n");

    EXPECT_EQ(detalle(), "...");
    EXPECT_EQ(caption(), "&OK");
}

TEST_F(ReplaceE2E, LaLineaDeEstadoMuestraRutaYLinea) {
    // A line that overflows the match position stops the rewrite at a
    // failure box: at that moment the status line shows the path, seven
    // spaces and the line before it, as replaced.
    file("Proyectos/Ventas.vbp", "Type=Exe\r\nX=a\r\n");
    openFolder("C:\\Proyectos");
    mark("Ventas.vbp");
    chooseOption(1);
    typeBuscar("a");
    typeReemplazar("ba");
    std::string detalleAlFallar;
    boxes.onBox = [&](const ShownBox& box) {
        if (box.request.style == mb::kAbortRetryIgnoreCritical) detalleAlFallar = detalle();
    };
    boxes.answers = {mb::kYes, mb::kIgnore};

    pressOk();

    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[1].request.style, mb::kAbortRetryIgnoreCritical);
    EXPECT_EQ(boxes.shown[2].request.text, "Proceso Finalizado");
    EXPECT_EQ(detalleAlFallar, "C:\\Proyectos\\Ventas.vbp       Type=Exe");
    // Ignore writes the line as far as it was replaced: a at 3, so the
    // replacements at 3 to 32767 were made.
    EXPECT_EQ(bytesOf("Proyectos/Ventas.vbp"),
              "Type=Exe\r\nX=" + std::string(32765, 'b') + "a\r\n");
    EXPECT_EQ(detalle(), "...");
}

}  // namespace
}  // namespace morvane::testing

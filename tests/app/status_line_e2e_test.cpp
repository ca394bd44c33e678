// The status line (lblDetalle) paints itself, for speed, in place of QLabel's
// own painting: what it shows must be what a QLabel of the same size, font,
// alignment and word wrapping shows for the same caption, and it must change
// with each caption set.
#include <QImage>
#include <QLabel>
#include <string>

#include "app_fixture.h"

namespace morvane::testing {
namespace {

class StatusLineE2E : public AppFixture {
  protected:
    // A plain QLabel set up as the status line is, painted with the font the
    // status line draws with (glyphs placed one by one, no script shaping).
    QImage asQLabelPaints(const QString& caption) {
        QLabel reference;
        reference.setGeometry(form->lblDetalle->geometry());
        reference.setPalette(form->lblDetalle->palette());
        QFont font = form->lblDetalle->font();
        font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
        reference.setFont(font);
        reference.setAlignment(form->lblDetalle->alignment());
        reference.setWordWrap(form->lblDetalle->wordWrap());
        reference.setTextFormat(Qt::PlainText);
        reference.setText(caption);
        return reference.grab().toImage();
    }
    QImage shown() { return form->lblDetalle->grab().toImage(); }
};

TEST_F(StatusLineE2E, PaintsEachCaptionAsAQLabelWould) {
    const char* const captions[] = {
        "...",
        "",
        "C:\\Proyectos\\Ventas.vbp       Type=Exe",
        // Wraps over two and three lines, at spaces.
        "C:\\Proyectos\\Contabilidad\\Sucursales\\Ventas.vbp       "
        "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#C:\\WINDOWS\\system32\\stdole2."
        "tlb"
        "#OLE Automation",
        "C:\\Proyectos\\Ventas.vbp       Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; "
        "MSCOMCTL.OCX uno dos tres cuatro cinco seis siete ocho nueve diez once doce trece catorce "
        "quince dieciseis diecisiete dieciocho diecinueve veinte",
        // One word wider than the label, then more after it.
        "C:\\Proyectos\\Ventas.vbp       "
        "ExeName32=\"UnNombreDeEjecutableMuyLargoQueNoCabeEnLaLineaDeEstadoNiAunqueLoIntentemos"
        "DeVerdad.exe\" y algo mas",
        // Breaks at hyphens and slashes, as the line-breaking rules allow.
        "C:\\Proyectos\\Ventas.vbp       Path32=C:/Archivos-de-programa/Microsoft-Visual-Studio/"
        "VB98/Proyectos-antiguos/Ventas-y-compras/Sucursal-norte/Sucursal-sur/otra-carpeta-mas",
        // Letters of the ANSI code page, markup and mnemonic characters shown as they are.
        "C:\\Proyectos\\Año 2001\\Facturación.vbp       Title=\"Cañería & <b>Señal</b> ¿qué?\"",
        // Characters outside the code page, a tab, runs of spaces.
        "C:\\Proyectos\\Ventas.vbp       Description=\"Αθήνα 東京 تجربة\"\tfin",
        "   espacios    al   principio y al final   ",
    };
    for (const char* caption : captions) {
        SCOPED_TRACE(caption);
        form->setDetalle(caption);
        form->refreshDetalle();
        EXPECT_EQ(form->lblDetalle->text().toStdString(), caption);
        EXPECT_TRUE(shown() == asQLabelPaints(QString::fromUtf8(caption)));
    }
}

TEST_F(StatusLineE2E, WrapsAtEveryLengthAsAQLabelWould) {
    // The same caption one word longer each time: from one line to past
    // what the label can show, breaking before every word in turn, at
    // spaces and within words (after hyphens, slashes, braces).
    const std::string textos[] = {
        "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#C:\\WINDOWS\\system32\\"
        "stdole2.tlb#OLE Automation Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; "
        "MSCOMCTL.OCX Path32=C:/Archivos-de-programa/VB98 Compatible32=\"0\" fin",
        "Description=\"Sistema de ventas  de la sucursal   norte, con facturación, cobranzas, "
        "cuentas corrientes, remitos y listados de precios por cliente y por zona, más el "
        "cierre diario de caja y los informes mensuales para la gerencia general\" Título=Año",
        "Comments=\"Sistema de ventas  de la sucursal   norte, con facturación, cobranzas, "
        "cuentas corrientes, remitos y listados de precios por cliente y por zona, más el "
        "cierre diario de caja y los informes mensuales para la gerencia general\"",
        "Title=\"uno dos  tres cuatro cinco seis siete ocho nueve diez once doce trece catorce "
        "quince dieciséis diecisiete dieciocho diecinueve veinte veintiuno veintidós veintitrés "
        "veinticuatro veinticinco veintiséis veintisiete veintiocho veintinueve treinta\"",
        "Name=\"Ventas\" HelpFile=\"\" uno dos tres cuatro cinco seis siete ocho nueve diez "
        "once doce trece catorce quince dieciséis diecisiete dieciocho diecinueve veinte "
        "veintiuno veintidós veintitrés veinticuatro veinticinco veintiséis veintisiete",
    };
    for (const std::string& palabras : textos) {
        std::string caption = "C:\\Proyectos\\Ventas.vbp       ";
        for (std::size_t at = 0; at != std::string::npos;) {
            const std::size_t next = palabras.find(' ', at + 1);
            caption += palabras.substr(at, next == std::string::npos ? next : next - at);
            at = next;
            SCOPED_TRACE(caption);
            form->setDetalle(caption);
            form->refreshDetalle();
            ASSERT_TRUE(shown() == asQLabelPaints(QString::fromStdString(caption)));
        }
    }
}

TEST_F(StatusLineE2E, EachCaptionReplacesThePreviousOne) {
    form->setDetalle("C:\\Proyectos\\Alfa.vbp       Type=Exe");
    form->refreshDetalle();
    const QImage first = shown();
    form->setDetalle("C:\\Proyectos\\Beta.vbp       Type=OleDll");
    form->refreshDetalle();
    EXPECT_FALSE(shown() == first);
    form->setDetalle("C:\\Proyectos\\Alfa.vbp       Type=Exe");
    form->refreshDetalle();
    EXPECT_TRUE(shown() == first);
}

}  // namespace
}  // namespace morvane::testing

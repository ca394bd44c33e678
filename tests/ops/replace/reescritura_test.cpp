// Rewriting project files on real files: line ends, backups over several
// runs, the status line, and the steps a failure resumes at.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "reescritura_fixture.h"

namespace morvane::testing {
namespace {

const std::string kRuta = "C:\\Proyectos\\Ventas.vbp";
const std::string kProyecto = "Proyectos/Ventas.vbp";
const std::string kRespaldo = "Proyectos/Ventas.OLD";
const std::string kTemporal = "Proyectos/Ventas.NVO";

struct FinesDeLinea {
    const char* nombre;
    std::string antes;
    std::string despues;
};

class Fines : public Reescritura, public ::testing::WithParamInterface<FinesDeLinea> {};

TEST_P(Fines, TodasLasLineasTerminanEnCRLF) {
    const FinesDeLinea& c = GetParam();
    writeBytes(host(kProyecto), c.antes);

    reemplazar(kRuta, "Viejo", "Nuevo");

    EXPECT_EQ(readBytes(host(kProyecto)), c.despues);
    EXPECT_EQ(readBytes(host(kRespaldo)), c.antes);
    EXPECT_EQ(nombres("Proyectos"), (std::vector<std::string>{"Ventas.OLD", "Ventas.vbp"}));
    // A first rewrite has no previous backup to delete, and says nothing of it.
    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_FALSE(corrida.estado.BorrandoRespaldo);
}

INSTANTIATE_TEST_SUITE_P(
    Archivo, Fines,
    ::testing::Values(FinesDeLinea{"CRLF", "Name=\"Viejo\"\r\nTitle=\"x\"\r\n",
                                   "Name=\"Nuevo\"\r\nTitle=\"x\"\r\n"},
                      FinesDeLinea{"CROnly", "Name=viejo\rTitle=x\r", "Name=Nuevo\r\nTitle=x\r\n"},
                      // Line feeds alone do not end lines: one line, one CR LF added.
                      FinesDeLinea{"LFOnly", "Name=VIEJO\nTitle=x\n", "Name=Nuevo\nTitle=x\n\r\n"},
                      FinesDeLinea{"LastLineWithoutEnd", "a\r\nviejo", "a\r\nNuevo\r\n"},
                      FinesDeLinea{"Mixed", "a\r\nb\rc\nd", "a\r\nb\r\nc\nd\r\n"},
                      FinesDeLinea{"EmptyLines", "\r\n\r\n", "\r\n\r\n"},
                      FinesDeLinea{"Empty", "", ""},
                      FinesDeLinea{"NoOccurrenceStillRewritten", "Type=Exe\nx", "Type=Exe\nx\r\n"},
                      // Bytes of the code page come out as they went in.
                      FinesDeLinea{"CodePageBytes", "T\xEDtulo=A\xF1o \x81\x9D\xFF\r\n",
                                   "T\xEDtulo=A\xF1o \x81\x9D\xFF\r\n"}),
    [](const ::testing::TestParamInfo<FinesDeLinea>& info) {
        return std::string(info.param.nombre);
    });

TEST_F(Reescritura, ReemplazoConLetrasDelCodigoDePagina) {
    // The run's texts are UTF-8; the file is Windows-1252.
    writeBytes(host(kProyecto), "Title=\"A\xD1O\"\r\nName=\"a\xF1o\"\r\n");
    reemplazar(kRuta, "año", "Ejercicio Ñ");
    EXPECT_EQ(readBytes(host(kProyecto)),
              "Title=\"Ejercicio \xD1\"\r\nName=\"Ejercicio \xD1\"\r\n");
}

TEST_F(Reescritura, ArchivoTemporalQueQuedoDeAntesSeSobrescribe) {
    writeBytes(host(kProyecto), "Name=Viejo\r\n");
    writeBytes(host(kTemporal), std::string(5000, 'z') + "\r\nresto de una corrida fallida\r\n");
    reemplazar(kRuta, "viejo", "Nuevo");
    EXPECT_EQ(readBytes(host(kProyecto)), "Name=Nuevo\r\n");
    EXPECT_EQ(readBytes(host(kRespaldo)), "Name=Viejo\r\n");
    EXPECT_FALSE(std::filesystem::exists(host(kTemporal)));
    EXPECT_TRUE(toolkit.boxes.empty());
}

TEST_F(Reescritura, ElRespaldoRotaEnDosCorridas) {
    writeBytes(host(kProyecto), "Name=Uno\r\n");
    reemplazar(kRuta, "Uno", "Dos");
    reemplazar(kRuta, "dos", "Tres");
    EXPECT_EQ(readBytes(host(kProyecto)), "Name=Tres\r\n");
    // The backup holds the content from just before the last rewrite.
    EXPECT_EQ(readBytes(host(kRespaldo)), "Name=Dos\r\n");
    EXPECT_EQ(nombres("Proyectos"), (std::vector<std::string>{"Ventas.OLD", "Ventas.vbp"}));
    EXPECT_TRUE(toolkit.boxes.empty());
}

TEST_F(Reescritura, ElRespaldoAnteriorSeBorraEnCualquierCaja) {
    // Names compare without regard to letter case: "Ventas.old" and a backup
    // spelled in any other way are one and the same file.
    for (const std::string anterior : {"Ventas.old", "VENTAS.Old", "ventas.OLD"}) {
        SCOPED_TRACE(anterior);
        std::filesystem::remove_all(host("Proyectos"));
        writeBytes(host(kProyecto), "Name=Uno\r\n");
        writeBytes(host("Proyectos/" + anterior), "respaldo viejo\r\n");

        reemplazar(kRuta, "Uno", "Dos");

        EXPECT_EQ(nombres("Proyectos"), (std::vector<std::string>{"Ventas.OLD", "Ventas.vbp"}));
        EXPECT_EQ(readBytes(host(kRespaldo)), "Name=Uno\r\n");
        EXPECT_EQ(readBytes(host(kProyecto)), "Name=Dos\r\n");
    }
    EXPECT_TRUE(toolkit.boxes.empty());
}

TEST_F(Reescritura, LineaDeEstado) {
    writeBytes(host(kProyecto), "Name=\"Viejo\"\r\nT\xEDtulo=viejo\r\n\r\n");
    reemplazar(kRuta, "viejo", "Nuevo");

    const std::string siete(7, ' ');
    // The path first, then the path, seven spaces and each line as replaced;
    // "..." at the end.
    EXPECT_EQ(form.detalleHistory, (std::vector<std::string>{
                                       kRuta,
                                       kRuta + siete + "Name=\"Nuevo\"",
                                       kRuta + siete + "Título=Nuevo",
                                       kRuta + siete,
                                       "...",
                                   }));
    // Painted at once for the path and for every line, but not for "...".
    EXPECT_EQ(form.repainted, (std::vector<std::string>{
                                  kRuta,
                                  kRuta + siete + "Name=\"Nuevo\"",
                                  kRuta + siete + "Título=Nuevo",
                                  kRuta + siete,
                              }));
    EXPECT_EQ(form.detalle, "...");
}

TEST_F(Reescritura, DesbordamientoEnUnaLinea) {
    // The runaway replacement fails at its step; Retry runs it again over the
    // partly replaced line, Ignore writes that line and the rewrite goes on.
    writeBytes(host(kProyecto), "X=a\r\nTitle=otro\r\n");
    toolkit.answers = {mb::kRetry, mb::kIgnore};
    reemplazar(kRuta, "a", "ba");

    const Box desborde{descripcion(err::kOverflow), mb::kAbortRetryIgnoreCritical, std::nullopt};
    EXPECT_EQ(toolkit.boxes, (std::vector<Box>{desborde, desborde}));
    // The first a is at 3, so replacements at 3 to 32767 fit; running the
    // step again finds the a at 32768 and changes nothing.
    const std::string primera = "X=" + std::string(32765, 'b') + "a";
    EXPECT_EQ(readBytes(host(kProyecto)), primera + "\r\nTitle=otro\r\n");
    EXPECT_EQ(readBytes(host(kRespaldo)), "X=a\r\nTitle=otro\r\n");
}

// A fault that keeps the project file from being read: without read
// permission, or where permissions do not stop reads (running as root), a
// folder under the project's name.
struct Ilegible {
    std::filesystem::path archivo;
    std::string contenido;
    bool comoCarpeta = ::geteuid() == 0;

    void poner() {
        if (comoCarpeta) {
            std::filesystem::remove(archivo);
            std::filesystem::create_directory(archivo);
        } else {
            ::chmod(archivo.c_str(), 0);
        }
    }
    void quitar() {
        if (comoCarpeta) {
            std::filesystem::remove(archivo);
            writeBytes(archivo, contenido);
        } else {
            ::chmod(archivo.c_str(), 0644);
        }
    }
    int numero() const { return comoCarpeta ? err::kPathFileAccess : err::kPermissionDenied; }
};

TEST_F(Reescritura, ReintentarLaApertura) {
    Ilegible fallo{host(kProyecto), "Name=Viejo\r\n"};
    writeBytes(host(kProyecto), fallo.contenido);
    fallo.poner();
    // The first box is answered Retry after the fault is mended.
    toolkit.answers = {mb::kRetry};
    toolkit.alMostrar = [&](const std::string&) { fallo.quitar(); };

    reemplazar(kRuta, "viejo", "Nuevo");

    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, descripcion(fallo.numero()));
    EXPECT_EQ(readBytes(host(kProyecto)), "Name=Nuevo\r\n");
    EXPECT_EQ(readBytes(host(kRespaldo)), "Name=Viejo\r\n");
}

TEST_F(Reescritura, IgnorarLaAperturaNoReemplazaElProyecto) {
    // The project cannot be opened and the user goes on: the loop ends at
    // once and the project file keeps its name and content; the earlier
    // backup stays, and no temporary file is left.
    for (const int respuesta : {mb::kIgnore, mb::kAbort}) {
        SCOPED_TRACE(respuesta);
        std::filesystem::remove_all(host("Proyectos"));
        Ilegible fallo{host(kProyecto), "Name=Viejo\r\n"};
        writeBytes(host(kProyecto), fallo.contenido);
        writeBytes(host(kRespaldo), "respaldo\r\n");
        fallo.poner();
        toolkit.boxes.clear();
        toolkit.answers = {respuesta};

        reemplazar(kRuta, "viejo", "Nuevo");

        ASSERT_EQ(toolkit.boxes.size(), 1u);
        EXPECT_EQ(toolkit.boxes[0].text, descripcion(fallo.numero()));
        EXPECT_EQ(nombres("Proyectos"), (std::vector<std::string>{"Ventas.OLD", "Ventas.vbp"}));
        fallo.quitar();
        EXPECT_EQ(readBytes(host(kProyecto)), "Name=Viejo\r\n");
        EXPECT_EQ(readBytes(host(kRespaldo)), "respaldo\r\n");
        EXPECT_EQ(form.detalle, "...");
        EXPECT_FALSE(files.isOpen(1));
    }
}

TEST_F(Reescritura, ProyectoBorradoDesdeQueSeListo) {
    // A missing project file is shown like any failure (no backup is being
    // deleted), and nothing is made in its place.
    writeBytes(host(kRespaldo), "respaldo\r\n");
    toolkit.answers = {mb::kIgnore};
    reemplazar(kRuta, "a", "b");
    EXPECT_EQ(toolkit.boxes, (std::vector<Box>{{descripcion(err::kFileNotFound),
                                                mb::kAbortRetryIgnoreCritical, std::nullopt}}));
    EXPECT_EQ(nombres("Proyectos"), (std::vector<std::string>{"Ventas.OLD"}));
    EXPECT_EQ(readBytes(host(kRespaldo)), "respaldo\r\n");
}

TEST_F(Reescritura, ElTemporalNoSePuedeCrear) {
    // A folder under the temporary name: the temporary file cannot be made.
    writeBytes(host(kProyecto), "Name=Viejo\r\n");
    writeBytes(host(kRespaldo), "respaldo\r\n");
    std::filesystem::create_directory(host(kTemporal));
    toolkit.answers = {mb::kRetry, mb::kIgnore};

    reemplazar(kRuta, "viejo", "Nuevo");

    ASSERT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_EQ(toolkit.boxes[0], toolkit.boxes[1]);
    EXPECT_EQ(readBytes(host(kProyecto)), "Name=Viejo\r\n");
    EXPECT_EQ(readBytes(host(kRespaldo)), "respaldo\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(host(kTemporal)));
    EXPECT_FALSE(files.isOpen(1));
    EXPECT_FALSE(files.isOpen(2));
}

TEST_F(Reescritura, ElRespaldoAnteriorNoSePuedeBorrar) {
    // Deleting fails for another reason than a missing file (a folder under
    // the backup's name): it is shown; going on, both renames fail because
    // the names are taken, and the project keeps its name and content with
    // the rewritten file beside it.
    writeBytes(host(kProyecto), "Name=Viejo\r\n");
    std::filesystem::create_directory(host(kRespaldo));
    toolkit.answers = {mb::kIgnore, mb::kIgnore, mb::kIgnore};

    reemplazar(kRuta, "viejo", "Nuevo");

    std::vector<std::string> textos;
    for (const Box& b : toolkit.boxes) textos.push_back(b.text);
    EXPECT_EQ(textos, (std::vector<std::string>{descripcion(err::kPathFileAccess),
                                                descripcion(err::kFileExists),
                                                descripcion(err::kFileExists)}));
    EXPECT_FALSE(corrida.estado.BorrandoRespaldo);
    EXPECT_EQ(readBytes(host(kProyecto)), "Name=Viejo\r\n");
    EXPECT_EQ(readBytes(host(kTemporal)), "Name=Nuevo\r\n");
}

TEST_F(Reescritura, BusquedaVaciaDejaLasLineas) {
    // Reached without the refusal of an empty search text (the operation
    // changed during a build's wait): lines stay as they are, and the loop ends.
    writeBytes(host(kProyecto), "Name=Viejo\r\nx\ry");
    reemplazar(kRuta, "", "Nuevo");
    EXPECT_EQ(readBytes(host(kProyecto)), "Name=Viejo\r\nx\r\ny\r\n");
    EXPECT_EQ(readBytes(host(kRespaldo)), "Name=Viejo\r\nx\ry");
    EXPECT_TRUE(toolkit.boxes.empty());
}

TEST_F(Reescritura, TextoQueElCodigoDePaginaNoTiene) {
    // The window lets no such character into its boxes; should one reach the
    // rewrite, each line's replacement fails with the conversion failure, and
    // going on writes the line unchanged rather than with other characters.
    writeBytes(host(kProyecto), "Name=pi\r\nx\r\n");
    toolkit.answers = {mb::kIgnore, mb::kIgnore};
    reemplazar(kRuta, "pi", "π");
    const Box conversion{descripcion(err::kCannotConvert), mb::kAbortRetryIgnoreCritical,
                         std::nullopt};
    EXPECT_EQ(toolkit.boxes, (std::vector<Box>{conversion, conversion}));
    EXPECT_EQ(readBytes(host(kProyecto)), "Name=pi\r\nx\r\n");
}

TEST_F(Reescritura, ElTemporalEsUnEnlace) {
    // A link under the temporary name is replaced by a new file: nothing is
    // written through it into the file it points at.
    writeBytes(host(kProyecto), "Name=Viejo\r\n");
    writeBytes(host("Otros/victima.txt"), "no tocar\r\n");
    std::filesystem::create_symlink(host("Otros/victima.txt"), host(kTemporal));

    reemplazar(kRuta, "viejo", "Nuevo");

    EXPECT_EQ(readBytes(host("Otros/victima.txt")), "no tocar\r\n");
    EXPECT_FALSE(std::filesystem::is_symlink(host(kProyecto)));
    EXPECT_EQ(readBytes(host(kProyecto)), "Name=Nuevo\r\n");
    EXPECT_EQ(nombres("Proyectos"), (std::vector<std::string>{"Ventas.OLD", "Ventas.vbp"}));
}

TEST_F(Reescritura, DosProyectosEnLaMismaCorrida) {
    // The working values of one rewrite do not carry over into the next.
    writeBytes(host("P/App.vbp"), "Name=App\r\n");
    writeBytes(host("Q/Otra.vbp"), "Name=app\r\n");
    reemplazar("C:\\P\\App.vbp", "app", "X");
    reemplazar("C:\\Q\\Otra.vbp", "app", "X");
    EXPECT_EQ(nombres("P"), (std::vector<std::string>{"App.OLD", "App.vbp"}));
    EXPECT_EQ(nombres("Q"), (std::vector<std::string>{"Otra.OLD", "Otra.vbp"}));
    EXPECT_EQ(readBytes(host("Q/Otra.vbp")), "Name=X\r\n");
    EXPECT_FALSE(files.isOpen(1));
    EXPECT_FALSE(files.isOpen(2));
}

}  // namespace
}  // namespace morvane::testing

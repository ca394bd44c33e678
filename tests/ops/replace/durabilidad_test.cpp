// The order of the file operations of a rewrite, and what a failing close or
// write of the temporary file leaves behind: the project file gives way only
// to a temporary file that is whole and on disk.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "reescritura_fixture.h"

namespace morvane::testing {
namespace {

// The host's file services with every call written down, the run's
// BorrandoRespaldo flag beside it, and a hook that can make a call fail.
class ArchivosRegistrados : public FileServices {
  public:
    ArchivosRegistrados(FileServices& real, const EstadoCorrida& estado)
        : real_(real), estado_(estado) {}

    std::vector<std::string> llamadas;
    std::vector<std::string> conRespaldoEnCurso;  // calls made while the flag was true
    std::function<void(const std::string& llamada)> fallar;

    std::string dir(const std::string& p, int a) override { return real_.dir(p, a); }
    std::string dirNext() override { return real_.dirNext(); }
    int freeFile() override { return real_.freeFile(); }
    void openForInput(const std::string& n, int f) override {
        anotar("openForInput " + n);
        real_.openForInput(n, f);
    }
    void openForOutput(const std::string& n, int f) override {
        anotar("openForOutput " + n);
        real_.openForOutput(n, f);
    }
    bool eof(int f) override { return real_.eof(f); }
    std::string lineInput(int f) override {
        anotar("lineInput");
        return real_.lineInput(f);
    }
    void printLine(int f, std::string_view l) override {
        anotar("printLine " + std::string(l));
        real_.printLine(f, l);
    }
    void close(int f) override {
        // The number is free again whatever the close reports, so the real
        // close runs before the injected failure.
        real_.close(f);
        anotar("close " + std::to_string(f));
    }
    void abandon(int f) override {
        real_.abandon(f);
        anotar("abandon " + std::to_string(f));
    }
    bool isOpen(int f) const override { return real_.isOpen(f); }
    void kill(const std::string& n) override {
        anotar("kill " + n);
        real_.kill(n);
    }
    void rename(const std::string& a, const std::string& b) override {
        anotar("rename " + a + " -> " + b);
        real_.rename(a, b);
    }

  private:
    void anotar(const std::string& llamada) {
        llamadas.push_back(llamada);
        if (estado_.BorrandoRespaldo) conRespaldoEnCurso.push_back(llamada);
        if (fallar) fallar(llamada);
    }

    FileServices& real_;
    const EstadoCorrida& estado_;
};

class Durabilidad : public Reescritura {
  protected:
    Durabilidad() {
        corrida2.onFailure = [this](const Failure& f) { return ControlErrores(corrida2, f); };
    }

    void reemplazar2(const std::string& buscar, const std::string& reemplazo) {
        corrida2.estado.RutaProyecto = "C:\\P\\App.vbp";
        corrida2.estado.CadenaBuscar = buscar;
        corrida2.estado.CadenaReemplazo = reemplazo;
        ReemplazarEnArchivo(corrida2);
    }

    Corrida corrida2{sv2, EstadoCorrida{}, {}};
    ArchivosRegistrados registro{files, corrida2.estado};
    Services sv2{registro, components, processes, toolkit, form};
};

TEST_F(Durabilidad, ElTemporalSeCierraAntesDeTomarElNombre) {
    writeBytes(host("P/App.vbp"), "Name=App\r\nx\r\n");
    reemplazar2("app", "Otra");

    // Closing the temporary file (2) puts it on disk before any rename.
    EXPECT_EQ(registro.llamadas, (std::vector<std::string>{
                                     "openForInput C:\\P\\App.vbp",
                                     "openForOutput C:\\P\\App.NVO",
                                     "lineInput",
                                     "printLine Name=Otra",
                                     "lineInput",
                                     "printLine x",
                                     "close 1",
                                     "close 2",
                                     "kill C:\\P\\App.old",
                                     "rename C:\\P\\App.vbp -> C:\\P\\App.OLD",
                                     "rename C:\\P\\App.NVO -> C:\\P\\App.vbp",
                                 }));
    // BorrandoRespaldo is true around the deletion only.
    EXPECT_EQ(registro.conRespaldoEnCurso, (std::vector<std::string>{"kill C:\\P\\App.old"}));
    EXPECT_FALSE(corrida2.estado.BorrandoRespaldo);
    EXPECT_TRUE(toolkit.boxes.empty());
}

TEST_F(Durabilidad, UnaLecturaQueFallaSiempreTerminaLaCopiaSinReemplazarElProyecto) {
    // The project's second line can never be read (a medium gone mid-file).
    // Passing over the failure ends the copy at once: one box, the project and
    // its earlier backup as they were, no line written twice.
    writeBytes(host("P/App.vbp"), "Name=App\r\nx\r\ny\r\n");
    writeBytes(host("P/App.OLD"), "respaldo\r\n");
    int lecturas = 0;
    registro.fallar = [&lecturas](const std::string& llamada) {
        if (llamada == "lineInput" && ++lecturas >= 2) throw Failure(err::kDeviceIo);
    };
    for (const int respuesta : {mb::kIgnore, mb::kAbort}) {
        SCOPED_TRACE(respuesta);
        lecturas = 0;
        toolkit.boxes.clear();
        registro.llamadas.clear();
        toolkit.answers = {respuesta};

        reemplazar2("app", "Otra");

        ASSERT_EQ(toolkit.boxes.size(), 1u);
        EXPECT_EQ(toolkit.boxes[0].text, descripcion(err::kDeviceIo));
        EXPECT_EQ(readBytes(host("P/App.vbp")), "Name=App\r\nx\r\ny\r\n");
        EXPECT_EQ(readBytes(host("P/App.OLD")), "respaldo\r\n");
        EXPECT_EQ(readBytes(host("P/App.NVO")), "Name=Otra\r\n");
        for (const std::string& llamada : registro.llamadas) {
            EXPECT_EQ(llamada.rfind("kill", 0), std::string::npos) << llamada;
            EXPECT_EQ(llamada.rfind("rename", 0), std::string::npos) << llamada;
        }
        EXPECT_FALSE(files.isOpen(1));
        EXPECT_FALSE(files.isOpen(2));
    }
}

TEST_F(Durabilidad, UnaEscrituraQueFallaSiempreTerminaLaCopiaConUnSoloAviso) {
    // The disk fills up at the second line: passing over the failure ends the
    // copy, so the user answers one box, not one per remaining line, and the
    // incomplete temporary file never takes the project's name.
    std::string proyecto = "Name=App\r\n";
    for (int i = 0; i < 50; ++i) proyecto += "Linea" + std::to_string(i) + "\r\n";
    writeBytes(host("P/App.vbp"), proyecto);
    int escrituras = 0;
    registro.fallar = [&escrituras](const std::string& llamada) {
        if (llamada.rfind("printLine", 0) == 0 && ++escrituras >= 2) throw Failure(err::kDiskFull);
    };
    toolkit.answers = {mb::kIgnore};

    reemplazar2("app", "Otra");

    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, descripcion(err::kDiskFull));
    EXPECT_EQ(readBytes(host("P/App.vbp")), proyecto);
    EXPECT_FALSE(std::filesystem::exists(host("P/App.OLD")));
    for (const std::string& llamada : registro.llamadas) {
        EXPECT_EQ(llamada.rfind("rename", 0), std::string::npos) << llamada;
    }
}

TEST_F(Durabilidad, UnaLecturaReintentadaConExitoCopiaElArchivoEntero) {
    writeBytes(host("P/App.vbp"), "Name=App\r\nx\r\n");
    int lecturas = 0;
    registro.fallar = [&lecturas](const std::string& llamada) {
        if (llamada == "lineInput" && ++lecturas == 2) throw Failure(err::kDeviceIo);
    };
    toolkit.answers = {mb::kRetry};

    reemplazar2("app", "Otra");

    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(readBytes(host("P/App.vbp")), "Name=Otra\r\nx\r\n");
    EXPECT_EQ(readBytes(host("P/App.OLD")), "Name=App\r\nx\r\n");
}

TEST_F(Durabilidad, UnCierreFallidoDelTemporalNoReemplazaElProyecto) {
    // The temporary file could not be written out or synced (a full disk):
    // whatever the answer, it never takes the project's name, the earlier
    // backup stays, and the close is not tried again on a number now free.
    for (const int respuesta : {mb::kIgnore, mb::kRetry}) {
        SCOPED_TRACE(respuesta);
        std::filesystem::remove_all(host("P"));
        writeBytes(host("P/App.vbp"), "Name=App\r\n");
        writeBytes(host("P/App.OLD"), "respaldo\r\n");
        registro.llamadas.clear();
        toolkit.boxes.clear();
        toolkit.answers = {respuesta};
        registro.fallar = [](const std::string& llamada) {
            if (llamada == "close 2") throw Failure(err::kDiskFull);
        };

        reemplazar2("app", "Otra");

        ASSERT_EQ(toolkit.boxes.size(), 1u);
        EXPECT_EQ(toolkit.boxes[0].text, descripcion(err::kDiskFull));
        EXPECT_EQ(readBytes(host("P/App.vbp")), "Name=App\r\n");
        EXPECT_EQ(readBytes(host("P/App.OLD")), "respaldo\r\n");
        for (const std::string& llamada : registro.llamadas) {
            EXPECT_EQ(llamada.rfind("kill", 0), std::string::npos) << llamada;
            EXPECT_EQ(llamada.rfind("rename", 0), std::string::npos) << llamada;
        }
        EXPECT_EQ(form.detalle, "...");
    }
}

TEST_F(Durabilidad, ReintentarUnaEscrituraNoDuplicaLaLinea) {
    writeBytes(host("P/App.vbp"), "a\r\nb\r\n");
    toolkit.answers = {mb::kRetry};
    bool yaFallo = false;
    registro.fallar = [&](const std::string& llamada) {
        if (llamada == "printLine B" && !yaFallo) {
            yaFallo = true;
            throw Failure(err::kDiskFull);
        }
    };
    reemplazar2("b", "B");
    EXPECT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(readBytes(host("P/App.vbp")), "a\r\nB\r\n");
}

}  // namespace
}  // namespace morvane::testing

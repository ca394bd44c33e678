// Search and replace as the user starts it: a press of CmdOK with the texts
// typed, the confirmation answered, and the marked entries rewritten.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reescritura_fixture.h"
#include "run/controller.h"

namespace morvane::testing {
namespace {

class DesdeCmdOK : public Reescritura {
  protected:
    DesdeCmdOK() {
        writeBytes(host("Proyectos/Compras.vbp"), "Name=\"Compras\"\r\nObject=Ventas.ocx\r\n");
        writeBytes(host("Proyectos/Ventas.vbp"),
                   "Type=Exe\r\nName=\"Ventas\"\r\nExeName32=\"ventas.exe\"\r\n");
        form.dir = "C:\\Proyectos";
        form.add("C:\\Proyectos\\Compras.vbp", false);
        form.add("C:\\Proyectos\\Ventas.vbp", true);
        form.opcion = 1;
    }
};

TEST_F(DesdeCmdOK, ReescribeSoloLoMarcado) {
    form.buscar = "  Ventas ";
    form.reemplazar = " Facturas";
    toolkit.answers = {mb::kYes};

    CmdOK_Click(sv);

    ASSERT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_EQ(toolkit.boxes[0].text,
              "Atención se Buscará la Cadena: Ventas  en el Archivo Seleccinado, y será "
              "Reemplazada por: Facturas Esta USTED DE ACUERDO, ES SU RESPONSABILIDAD!!!!");
    EXPECT_EQ(toolkit.boxes[1].text, "Proceso Finalizado");

    EXPECT_EQ(readBytes(host("Proyectos/Ventas.vbp")),
              "Type=Exe\r\nName=\"Facturas\"\r\nExeName32=\"Facturas.exe\"\r\n");
    EXPECT_EQ(readBytes(host("Proyectos/Ventas.OLD")),
              "Type=Exe\r\nName=\"Ventas\"\r\nExeName32=\"ventas.exe\"\r\n");
    // The unmarked entry is not touched, though it holds the text.
    EXPECT_EQ(nombres("Proyectos"),
              (std::vector<std::string>{"Compras.vbp", "Ventas.OLD", "Ventas.vbp"}));

    // The status line shows the whole path of the entry and each line.
    const std::string ruta = "C:\\Proyectos\\Ventas.vbp";
    const std::string siete(7, ' ');
    EXPECT_EQ(form.repainted, (std::vector<std::string>{
                                  ruta,
                                  ruta + siete + "Type=Exe",
                                  ruta + siete + "Name=\"Facturas\"",
                                  ruta + siete + "ExeName32=\"Facturas.exe\"",
                              }));
    EXPECT_EQ(form.detalle, "...");
    EXPECT_EQ(form.caption, "&OK");
}

TEST_F(DesdeCmdOK, UnProyectoQueFaltaNoDetieneLaCorrida) {
    // Both entries marked, one deleted since the list was filled: its failure
    // is shown once, and the other is rewritten as usual.
    form.list[0].selected = true;
    std::filesystem::remove(host("Proyectos/Compras.vbp"));
    form.buscar = "ventas";
    form.reemplazar = "Facturas";
    toolkit.answers = {mb::kYes, mb::kIgnore};

    CmdOK_Click(sv);

    std::vector<std::string> textos;
    for (const Box& b : toolkit.boxes) textos.push_back(b.text);
    ASSERT_EQ(textos.size(), 3u);
    EXPECT_EQ(textos[1], descripcion(err::kFileNotFound));
    EXPECT_EQ(textos[2], "Proceso Finalizado");
    EXPECT_EQ(nombres("Proyectos"), (std::vector<std::string>{"Ventas.OLD", "Ventas.vbp"}));
    EXPECT_EQ(readBytes(host("Proyectos/Ventas.vbp")),
              "Type=Exe\r\nName=\"Facturas\"\r\nExeName32=\"Facturas.exe\"\r\n");
}

TEST_F(DesdeCmdOK, DosCorridasRotanElRespaldo) {
    form.buscar = "Ventas";
    form.reemplazar = "Facturas";
    toolkit.answers = {mb::kYes};
    CmdOK_Click(sv);
    form.buscar = "facturas";
    form.reemplazar = "Cobros";
    toolkit.answers = {mb::kYes};
    CmdOK_Click(sv);

    EXPECT_EQ(readBytes(host("Proyectos/Ventas.vbp")),
              "Type=Exe\r\nName=\"Cobros\"\r\nExeName32=\"Cobros.exe\"\r\n");
    EXPECT_EQ(readBytes(host("Proyectos/Ventas.OLD")),
              "Type=Exe\r\nName=\"Facturas\"\r\nExeName32=\"Facturas.exe\"\r\n");
    // No box but the confirmations and the ends of the runs.
    EXPECT_EQ(toolkit.boxes.size(), 4u);
}

}  // namespace
}  // namespace morvane::testing

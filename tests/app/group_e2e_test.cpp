// The group file through the real window, offscreen: the folder opened,
// entries checked, the group option chosen, the real input box answered, and
// the group file written into the folder that Dir1 shows.
#include <QApplication>
#include <QInputDialog>
#include <string>
#include <vector>

#include "app_fixture.h"

namespace morvane::testing {
namespace {

const std::string kPreguntaNombre = "El Nombre del Archivo, sin la Ruta, o Blanco para Cancelar";
const std::string kPreguntaReemplazo = "El Archivo Informado ya Existe ¿Desea Reemplazarlo?";

class GroupE2E : public AppFixture {
  protected:
    void proyectos() {
        file("Proyectos/Compras.vbp", "Type=Exe\r\n");
        file("Proyectos/Ventas.vbp", "Type=Exe\r\n");
        file("Proyectos/Stock.vbp", "Type=Exe\r\n");
        openFolder("C:\\Proyectos");
    }

    // Records what the answer field of each input box held when it came up.
    void recordInputFields() {
        boxes.onBox = [this](const ShownBox& box) {
            if (box.request.kind != DialogRequest::Kind::Input) return;
            auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            fields.push_back(input ? input->textValue().toStdString() : "<no input box>");
        };
    }
    std::vector<std::string> fields;
};

TEST_F(GroupE2E, EscribeElGrupoDeLosProyectosMarcados) {
    proyectos();
    ASSERT_EQ(entries(),
              (std::vector<std::string>{"C:\\Proyectos\\Compras.vbp", "C:\\Proyectos\\Stock.vbp",
                                        "C:\\Proyectos\\Ventas.vbp"}));
    mark("Ventas.vbp");
    mark("Stock.vbp");
    chooseOption(0);
    recordInputFields();
    boxes.inputs = {"Sistema"};

    pressOk();

    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].request.kind, DialogRequest::Kind::Input);
    EXPECT_EQ(boxes.shown[0].request.text, kPreguntaNombre);
    EXPECT_EQ(boxes.shown[0].windowTitle, "Crear Visual Basic Group");
    EXPECT_EQ(fields, std::vector<std::string>{""});
    EXPECT_EQ(boxes.shown[1].request.text, "Proceso Finalizado");
    // The first marked entry in list order is the start-up project.
    EXPECT_EQ(bytesOf("Proyectos/Sistema.vbG"),
              "VBGROUP 5.0\r\nStartupProject=Stock.vbp\r\nProject=Ventas.vbp\r\n");
    EXPECT_EQ(caption(), "&OK");
    EXPECT_EQ(detalle(), "...");
}

TEST_F(GroupE2E, PreguntaAntesDeReemplazarYNoPideOtroNombre) {
    proyectos();
    file("Proyectos/Sistema.vbG", "anterior\r\n");
    mark("Compras.vbp");
    chooseOption(0);
    recordInputFields();
    boxes.inputs = {"sistema", "Otro"};
    boxes.answers = {mb::kNo};

    pressOk();

    ASSERT_EQ(boxes.shown.size(), 4u);
    const ShownBox& pregunta = boxes.shown[1];
    EXPECT_EQ(pregunta.request.text, kPreguntaReemplazo);
    EXPECT_EQ(pregunta.request.style, mb::kYesNoQuestion);
    EXPECT_FALSE(pregunta.request.title.has_value());
    EXPECT_EQ(pregunta.windowTitle, "Morvane");
    EXPECT_EQ(pregunta.icon, QMessageBox::Question);
    EXPECT_EQ(pregunta.buttons.size(), 2u);
    EXPECT_EQ(boxes.shown[2].request.kind, DialogRequest::Kind::Input);
    // The name is asked for again with an empty answer field.
    EXPECT_EQ(fields, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(boxes.shown[3].request.text, "Proceso Finalizado");
    EXPECT_EQ(bytesOf("Proyectos/Sistema.vbG"), "anterior\r\n");
    EXPECT_EQ(bytesOf("Proyectos/Otro.vbG"), "VBGROUP 5.0\r\nStartupProject=Compras.vbp\r\n");
}

TEST_F(GroupE2E, CancelarElNombreTerminaSinEscribirNada) {
    proyectos();
    markAll();
    chooseOption(0);
    boxes.inputs = {std::nullopt};

    pressOk();

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].request.kind, DialogRequest::Kind::Input);
    EXPECT_FALSE(exists("Proyectos/Sistema.vbG"));
    std::vector<std::string> archivos;
    for (const auto& e : std::filesystem::directory_iterator(drive.host("Proyectos")))
        archivos.push_back(e.path().filename().string());
    EXPECT_EQ(archivos.size(), 3u);
    EXPECT_EQ(caption(), "&OK");
}

}  // namespace
}  // namespace morvane::testing

// The search through the real window, offscreen: the folder opened, the text
// typed, "Buscar en VBP'S" chosen, CmdOK pressed; one listed file gone since
// the listing gets the real failure box, and afterwards exactly the entries
// whose files hold the text are marked.
#include <string>
#include <vector>

#include "app_fixture.h"

namespace morvane::testing {
namespace {

class SearchE2E : public AppFixture {};

TEST_F(SearchE2E, MarcaLosProyectosQueContienenElTexto) {
    file("Proyectos/Alfa.vbp", "Type=Exe\r\nName=\"COMUN\"\r\n");
    file("Proyectos/Beta.vbp", "");
    file("Proyectos/Delta.vbp", "Name=\"Comun\"\r\n");
    file("Proyectos/Eco.vbp", "Type=Exe\r\nName=\"Otro\"\r\n");
    file("Proyectos/Foxtrot.vbp", "Type=Exe\r\nName=\"Comun\"");
    openFolder("C:\\Proyectos");
    ASSERT_EQ(entries().size(), 5u);
    mark("Beta.vbp");
    mark("Delta.vbp");
    mark("Eco.vbp");
    // Deleted after the listing: its entry keeps its mark when the failure is
    // passed over.
    std::filesystem::remove(drive.host("Proyectos/Delta.vbp"));
    chooseOption(3);
    typeBuscar(" comun ");
    std::vector<std::string> captions;
    boxes.onBox = [&](const ShownBox&) { captions.push_back(caption()); };
    boxes.answers = {mb::kIgnore};

    pressOk();

    ASSERT_EQ(boxes.shown.size(), 2u);
    const ShownBox& fallo = boxes.shown[0];
    EXPECT_EQ(fallo.request.text, "No se encontró el archivo");
    EXPECT_EQ(fallo.request.style, 18);
    EXPECT_EQ(fallo.request.title, std::nullopt);
    EXPECT_EQ(fallo.windowTitle, "Morvane");
    EXPECT_EQ(fallo.buttons.size(), 3u);
    EXPECT_EQ(fallo.icon, QMessageBox::Critical);
    const ShownBox& fin = boxes.shown[1];
    EXPECT_EQ(fin.request.text, "Proceso Finalizado");
    EXPECT_EQ(fin.request.style, 32);
    EXPECT_EQ(fin.request.title, std::string());
    EXPECT_EQ(fin.icon, QMessageBox::Question);

    EXPECT_EQ(captions, (std::vector<std::string>{"&CANCELAR", "&CANCELAR"}));
    EXPECT_EQ(caption(), "&OK");
    EXPECT_EQ(marks(), (std::vector<bool>{true, false, true, false, true}));
    EXPECT_EQ(detalle(), "...");

    // A second press searches afresh: the file is back, and Retry is not
    // needed.
    file("Proyectos/Delta.vbp", "nada");
    boxes.shown.clear();
    pressOk();
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{"Proceso Finalizado"}));
    EXPECT_EQ(marks(), (std::vector<bool>{true, false, false, false, true}));
}

}  // namespace
}  // namespace morvane::testing

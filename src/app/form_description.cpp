#include "app/form_description.h"

#include <algorithm>
#include <cctype>

#include "app/centrado.h"

namespace morvane {

namespace {

using K = ControlKind;

constexpr FontDescription kCaptionFont{"Times New Roman", 12, true, true};

// clang-format off
constexpr ControlDescription kControls[] = {
    {"CmdInvertir", -1, K::CommandButton, "I&nvertir Seleccion", {6360, 3720, 1815, 255}, 14},
    {"CmdImprimir", -1, K::CommandButton, "&Imprimir ", {6360, 3240, 1815, 255}, 13},
    {"OptTipo", 3, K::OptionButton, "Buscar en VBP'S", {120, 3840, 1695, 255}, 12},
    {"OptTipo", 2, K::OptionButton, "Generar Ejecutables de los Proyectos Seleccionados",
     {120, 3120, 4335, 255}, 6},
    {"CmdOK", -1, K::CommandButton, "&OK", {6360, 2760, 1815, 255}, 10},
    {"OptTipo", 1, K::OptionButton, "Buscar y reemplazar en VBP'S", {120, 3480, 2775, 255}, 7,
     {.selected = true}},
    {"OptTipo", 0, K::OptionButton, "Generar un VBG (Visual Basic Group)",
     {120, 2760, 4455, 255}, 5},
    {"TxtReemplazar", -1, K::TextBox, "", {120, 4920, 8175, 285}, 4,
     {.maxLength = kNoLengthLimit}},
    {"TxtBuscar", -1, K::TextBox, "", {120, 4320, 8175, 285}, 3, {.maxLength = kNoLengthLimit}},
    {"Dir1", -1, K::FolderList, "", {120, 480, 3015, 2115}, 2},
    {"Drive1", -1, K::DriveList, "", {120, 120, 3015, 315}, 1},
    {"List1", -1, K::ListBox, "", {3240, 120, 5055, 2535}, 0,
     {.sorted = true, .checkBoxes = true}},
    {"lblDetalle", -1, K::Label, "...", {120, 5280, 8175, 735}, 11,
     {.alignment = TextAlignment::Center, .wraps = true}},
    {"Label1", 1, K::Label, "Reemplazar Por...", {120, 4680, 2415, 255}, 9,
     {.font = kCaptionFont}},
    {"Label1", 0, K::Label, "Buscar", {120, 4080, 2415, 255}, 8, {.font = kCaptionFont}},
};
// clang-format on

constexpr WindowDescription kForm1{"Form1", "Form1", 8340, 6345, {"MS Sans Serif", 8}, kControls};

}  // namespace

const WindowDescription& form1Description() {
    return kForm1;
}

const ControlDescription* findControl(const WindowDescription& window, std::string_view name,
                                      int index) {
    for (const ControlDescription& c : window.controls) {
        if (c.name == name && c.index == index) return &c;
    }
    return nullptr;
}

bool takesFocus(ControlKind kind) {
    return kind != ControlKind::Label;
}

std::vector<const ControlDescription*> tabOrder(const WindowDescription& window) {
    std::vector<const ControlDescription*> order;
    for (const ControlDescription& c : window.controls) {
        if (takesFocus(c.kind)) order.push_back(&c);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
    return order;
}

char accessKey(std::string_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;  // an ampersand itself
            continue;
        }
        return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[i + 1])));
    }
    return '\0';
}

PixelRect pixelsOf(const ControlDescription& c, int dotsPerInch) {
    const auto px = [dotsPerInch](int twips) {
        return twipsToPixels(static_cast<float>(twips), dotsPerInch);
    };
    return {px(c.place.left), px(c.place.top), px(c.place.width), px(c.place.height)};
}

PixelSize clientPixels(const WindowDescription& window, int dotsPerInch) {
    return {twipsToPixels(static_cast<float>(window.clientWidth), dotsPerInch),
            twipsToPixels(static_cast<float>(window.clientHeight), dotsPerInch)};
}

}  // namespace morvane

// The window's description as every toolkit reads it: the controls as
// stored, the tab order, the access keys, the text boxes without a length
// limit, and places in pixels at the usual dots per inch.
#include "app/form_description.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace morvane {
namespace {

std::string nameOf(const ControlDescription& c) {
    return std::string(c.name) + (c.index >= 0 ? "(" + std::to_string(c.index) + ")" : "");
}

const ControlDescription& control(std::string_view name, int index = -1) {
    const ControlDescription* c = findControl(form1Description(), name, index);
    if (c == nullptr) throw std::invalid_argument("no control " + std::string(name));
    return *c;
}

TEST(FormDescription, FifteenControlsInsideTheClientArea) {
    const WindowDescription& w = form1Description();
    EXPECT_EQ(w.name, "Form1");
    EXPECT_EQ(w.caption, "Form1");
    EXPECT_EQ(std::make_pair(w.clientWidth, w.clientHeight), std::make_pair(8340, 6345));
    EXPECT_EQ(w.font.family, "MS Sans Serif");
    EXPECT_EQ(w.font.points, 8);
    ASSERT_EQ(w.controls.size(), 15u);
    std::set<std::string> names;
    std::set<int> tabs;
    for (const ControlDescription& c : w.controls) {
        SCOPED_TRACE(nameOf(c));
        EXPECT_TRUE(names.insert(nameOf(c)).second);
        EXPECT_TRUE(tabs.insert(c.tabIndex).second);
        EXPECT_GE(c.place.left, 0);
        EXPECT_GE(c.place.top, 0);
        EXPECT_LE(c.place.left + c.place.width, w.clientWidth);
        EXPECT_LE(c.place.top + c.place.height, w.clientHeight);
    }
    EXPECT_EQ(*tabs.begin(), 0);
    EXPECT_EQ(*tabs.rbegin(), 14);
    EXPECT_EQ(findControl(w, "OptTipo", 4), nullptr);
    EXPECT_EQ(findControl(w, "OptTipo"), nullptr);  // an array's member needs its index
}

TEST(FormDescription, TabOrderByTabIndexWithoutTheLabels) {
    std::vector<std::string> order;
    for (const ControlDescription* c : tabOrder(form1Description())) order.push_back(nameOf(*c));
    EXPECT_EQ(order,
              (std::vector<std::string>{"List1", "Drive1", "Dir1", "TxtBuscar", "TxtReemplazar",
                                        "OptTipo(0)", "OptTipo(2)", "OptTipo(1)", "CmdOK",
                                        "OptTipo(3)", "CmdImprimir", "CmdInvertir"}));
}

TEST(FormDescription, SettingsBeyondTheDefaults) {
    int selected = 0;
    for (int i = 0; i < 4; ++i) selected += control("OptTipo", i).settings.selected ? 1 : 0;
    EXPECT_EQ(selected, 1);
    EXPECT_TRUE(control("OptTipo", 1).settings.selected);
    for (const char* box : {"TxtBuscar", "TxtReemplazar"}) {
        EXPECT_EQ(control(box).kind, ControlKind::TextBox);
        EXPECT_EQ(control(box).settings.maxLength, kNoLengthLimit) << box;
        EXPECT_EQ(control(box).caption, "") << box;
    }
    EXPECT_TRUE(control("List1").settings.sorted);
    EXPECT_TRUE(control("List1").settings.checkBoxes);
    EXPECT_EQ(control("lblDetalle").settings.alignment, TextAlignment::Center);
    EXPECT_TRUE(control("lblDetalle").settings.wraps);
    for (int i : {0, 1}) {
        const auto& font = control("Label1", i).settings.font;
        ASSERT_TRUE(font.has_value());
        EXPECT_EQ(font->family, "Times New Roman");
        EXPECT_EQ(font->points, 12);
        EXPECT_TRUE(font->bold);
        EXPECT_TRUE(font->italic);
    }
    EXPECT_FALSE(control("CmdOK").settings.font.has_value());
}

struct AccessKeyCase {
    const char* name;
    std::string_view caption;
    char key;
};

class AccessKeys : public ::testing::TestWithParam<AccessKeyCase> {};

TEST_P(AccessKeys, TheLetterAfterASingleAmpersand) {
    EXPECT_EQ(accessKey(GetParam().caption), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(
    Captions, AccessKeys,
    ::testing::Values(AccessKeyCase{"CmdInvertir", control("CmdInvertir").caption, 'n'},
                      AccessKeyCase{"CmdImprimir", control("CmdImprimir").caption, 'i'},
                      AccessKeyCase{"CmdOK", control("CmdOK").caption, 'o'},
                      AccessKeyCase{"CmdOKDuringARun", "&CANCELAR", 'c'},
                      AccessKeyCase{"AnOptionButton", control("OptTipo", 1).caption, '\0'},
                      AccessKeyCase{"ALabel", control("Label1", 1).caption, '\0'},
                      AccessKeyCase{"AnAmpersandItself", "A&&B", '\0'},
                      AccessKeyCase{"AfterAnAmpersandItself", "&&x&y", 'y'},
                      AccessKeyCase{"AtTheEnd", "x&", '\0'}),
    [](const ::testing::TestParamInfo<AccessKeyCase>& info) {
        return std::string(info.param.name);
    });

struct PixelCase {
    const char* name;
    int dpi;
    PixelRect cmdOk;
    PixelSize client;
};

class PixelsAtDpi : public ::testing::TestWithParam<PixelCase> {};

TEST_P(PixelsAtDpi, EachValueRoundedOnItsOwn) {
    const PixelCase& p = GetParam();
    const PixelRect r = pixelsOf(control("CmdOK"), p.dpi);
    EXPECT_EQ(std::vector<int>({r.left, r.top, r.width, r.height}),
              std::vector<int>({p.cmdOk.left, p.cmdOk.top, p.cmdOk.width, p.cmdOk.height}));
    const PixelSize c = clientPixels(form1Description(), p.dpi);
    EXPECT_EQ(std::make_pair(c.width, c.height), std::make_pair(p.client.width, p.client.height));
}

// CmdOK is 6360, 2760, 1815 x 255 twips; the client area 8340 x 6345.
INSTANTIATE_TEST_SUITE_P(
    Displays, PixelsAtDpi,
    ::testing::Values(PixelCase{"At96", 96, {424, 184, 121, 17}, {556, 423}},
                      PixelCase{"At120", 120, {530, 230, 151, 21}, {695, 529}},
                      PixelCase{"At144", 144, {636, 276, 182, 26}, {834, 635}},
                      PixelCase{"At192", 192, {848, 368, 242, 34}, {1112, 846}}),
    [](const ::testing::TestParamInfo<PixelCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace morvane

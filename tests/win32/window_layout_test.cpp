// Form1 on Win32 as the description has it: each control's place, size and
// caption at the display's DPI, the client area, the focus at start and the
// order in which Tab visits the controls, read from the running program.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "app/form_description.h"
#include "form1_fixture.h"

namespace morvane::test {
namespace {

// The DPI that Wine reports to programs started after it is set.
void setDisplayDpi(int dpi) {
    HKEY key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                                KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD value = static_cast<DWORD>(dpi);
    ::RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                     sizeof value);
    ::RegCloseKey(key);
}

struct DpiCase {
    const char* name;
    int dpi;
};

class Form1AtDpi : public Form1Test, public ::testing::WithParamInterface<DpiCase> {
  protected:
    void SetUp() override {
        Form1Test::SetUp();
        setDisplayDpi(GetParam().dpi);
    }
    void TearDown() override {
        Form1Test::TearDown();
        setDisplayDpi(96);
    }
};

TEST_P(Form1AtDpi, EveryControlHasItsPlaceSizeAndCaption) {
    start();
    const int dpi = GetParam().dpi;
    const WindowDescription& form = form1Description();

    RECT client{};
    ::GetClientRect(form_, &client);
    const PixelSize size = clientPixels(form, dpi);
    EXPECT_EQ(client.right, size.width);
    EXPECT_EQ(client.bottom, size.height);
    EXPECT_EQ(windowText(form_), wide(form.caption));

    for (const ControlDescription& c : form.controls) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.index));
        HWND h = control(c.name.data(), c.index);
        ASSERT_NE(h, nullptr);
        SCOPED_TRACE("item height " + std::to_string(::SendMessageW(h, CB_GETITEMHEIGHT, -1, 0)));
        RECT r{};
        ::GetWindowRect(h, &r);
        ::MapWindowPoints(nullptr, form_, reinterpret_cast<POINT*>(&r), 2);
        const PixelRect want = pixelsOf(c, dpi);
        EXPECT_EQ(r.left, want.left);
        EXPECT_EQ(r.top, want.top);
        EXPECT_EQ(r.right - r.left, want.width);
        EXPECT_EQ(r.bottom - r.top, want.height);
        if (c.kind != ControlKind::DriveList && c.kind != ControlKind::FolderList &&
            c.kind != ControlKind::ListBox) {
            EXPECT_EQ(windowText(h), wide(c.caption));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Displays, Form1AtDpi,
                         ::testing::Values(DpiCase{"standard_96_dpi", 96},
                                           DpiCase{"one_and_a_half_144_dpi", 144}),
                         [](const auto& info) { return std::string(info.param.name); });

using Form1Keys = Form1Test;

class Form1TabOrder : public Form1Test {
  public:
    using Form1Test::control;
    using Form1Test::focus;

    std::string focusName() {
        HWND f = focus();
        char name[64] = "none";
        if (f != nullptr) ::GetClassNameA(f, name, 64);
        return std::string(name) + " " + std::to_string(::GetDlgCtrlID(f));
    }

    // The controls Tab visits from List1, round to List1.
    std::vector<HWND> visited() {
        std::vector<HWND> order{focus()};
        for (int i = 0; i < 20; ++i) {
            // Tab pressed in the program; the control that has the focus then.
            HWND from = order.back(), next = from;
            ::PostMessageW(from, WM_KEYDOWN, VK_TAB, 0);
            waitUntil([&] { return (next = focus()) != from; }, std::chrono::seconds(10));
            if (next == order.front() || next == order.back()) break;
            order.push_back(next);
        }
        return order;
    }

    // The tab order of the description with only option `selected`.
    std::vector<HWND> expected(int selected) {
        std::vector<HWND> order;
        for (const ControlDescription* c : tabOrder(form1Description())) {
            if (c->kind == ControlKind::OptionButton && c->index != selected) continue;
            order.push_back(control(c->name.data(), c->index));
        }
        return order;
    }
};

TEST_F(Form1TabOrder, StartsInList1AndTabReachesOnlyTheSelectedOption) {
    start();
    ASSERT_TRUE(waitUntil([&] { return focus() == control("List1"); }))
        << "List1 does not have the focus at start but " << focusName();
    EXPECT_EQ(visited(), expected(1));

    // Another option selected takes the group's place at its own tab index.
    press(control("OptTipo", 3));
    ASSERT_TRUE(waitUntil(
        [&] { return ::SendMessageW(control("OptTipo", 3), BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    EXPECT_EQ(::SendMessageW(control("OptTipo", 1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // The click left the focus on the option: Tab goes round from there.
    ASSERT_TRUE(waitUntil([&] { return focus() == control("OptTipo", 3); })) << focusName();
    std::vector<HWND> order = expected(3);
    std::rotate(order.begin(), std::find(order.begin(), order.end(), control("OptTipo", 3)),
                order.end());
    EXPECT_EQ(visited(), order);
}

TEST_F(Form1TabOrder, ArrowKeysMoveAmongTheOptionsInTabOrder) {
    start();
    HWND selected = control("OptTipo", 1);
    press(selected);  // a click leaves the focus on it
    ASSERT_TRUE(waitUntil([&] { return focus() == selected; })) << focusName();
    // By tab index the options are 0, 2, 1, 3: Down from 1 goes to 3, Up to 2.
    ::PostMessageW(selected, WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_TRUE(waitUntil([&] { return focus() == control("OptTipo", 3); }));
    EXPECT_EQ(::SendMessageW(control("OptTipo", 3), BM_GETCHECK, 0, 0), BST_CHECKED);
    ::PostMessageW(control("OptTipo", 3), WM_KEYDOWN, VK_UP, 0);
    ASSERT_TRUE(waitUntil([&] { return focus() == control("OptTipo", 1); })) << focusName();
    ::PostMessageW(control("OptTipo", 1), WM_KEYDOWN, VK_UP, 0);
    ASSERT_TRUE(waitUntil([&] { return focus() == control("OptTipo", 2); }));
    EXPECT_EQ(::SendMessageW(control("OptTipo", 2), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(control("OptTipo", 1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(Form1Keys, AltOPressesOkAndTheBoxHasTheSystemLookWithSpanishButtons) {
    start();
    // The key goes to the focused control, once the window has given List1
    // the focus (before that there is no focus to post it to).
    ASSERT_TRUE(waitUntil([&] { return focus() == control("List1"); }));
    // Search and replace with nothing to search for: the refusal box.
    ::PostMessageW(focus(), WM_SYSCHAR, 'o', 1 << 29);
    HWND b = box();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(windowText(b), L"ME HICISTE ENOJAR!!!");
    EXPECT_EQ(boxText(b), L"SI NO ELEGIS LO QUE QUERES BUSCAR... COMO LO QUERES REEMPLAZAR... ");
    EXPECT_EQ(windowText(::GetDlgItem(b, IDOK)), L"Aceptar");
    answerBox(b, IDOK);
    ASSERT_TRUE(waitUntil([&] { return !::IsWindow(b); }));
    EXPECT_EQ(windowText(control("CmdOK")), L"&OK");
}

}  // namespace
}  // namespace morvane::test

#include "form1_fixture.h"

#include <commctrl.h>

#include <fstream>
#include <iterator>
#include <random>

#include "app/win32/control_ids.h"

namespace fs = std::filesystem;

namespace morvane::test {

std::wstring wide(std::string_view utf8) {
    std::wstring out(utf8.size(), L'\0');
    out.resize(static_cast<std::size_t>(
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(),
                              static_cast<int>(out.size()))));
    return out;
}

std::wstring shownPath(const fs::path& file) {
    return file.wstring();
}

void Form1Test::SetUp() {
    std::random_device random;
    work_ = fs::temp_directory_path() / ("morvane-window-" + std::to_string(random()));
    projects_ = work_ / "proyectos";
    fs::create_directories(projects_);
    fs::create_directories(work_ / "bin");
}

void Form1Test::TearDown() {
    program_.reset();
    std::error_code ec;
    fs::remove_all(work_, ec);
}

void Form1Test::writeProject(const std::string& name, const std::string& bytes) {
    std::ofstream out(projects_ / name, std::ios::binary);
    out << bytes;
}

std::string Form1Test::readFile(const fs::path& path) const {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Form1Test::start(const std::map<std::wstring, std::wstring>& environment) {
    program_ = std::make_unique<RunningProgram>(fs::path(wide(MORVANE_EXE)).make_preferred(), work_,
                                                environment);
    form_ = program_->waitForWindow(L"MorvaneForm1");
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(program_->process(), &code);
    ASSERT_NE(form_, nullptr) << "the window did not appear; the program's state " << code;
}

void Form1Test::openProjects(int expected) {
    HWND dir1 = control("Dir1");
    const LRESULT row = ::SendMessageW(dir1, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(L"proyectos"));
    ASSERT_NE(row, LB_ERR) << "Dir1 does not show the projects' folder";
    ::SendMessageW(dir1, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    ::PostMessageW(dir1, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(waitUntil([&] { return list1().count() == expected; }))
        << "List1 shows " << list1().count() << " projects";
}

HWND Form1Test::control(const char* name, int index) const {
    const ControlDescription* c = findControl(form1Description(), name, index);
    EXPECT_NE(c, nullptr) << name;
    return c == nullptr ? nullptr : ::GetDlgItem(form_, controlId(form1Description(), *c));
}

RemoteListView Form1Test::list1() const {
    return RemoteListView(program_->process(), control("List1"));
}

HWND Form1Test::box() const {
    HWND b = program_->waitForBox();
    EXPECT_NE(b, nullptr) << "no box appeared";
    return b;
}

std::wstring Form1Test::boxText(HWND box) {
    return windowText(::GetDlgItem(box, 0xFFFF));
}

HWND Form1Test::focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(form_, nullptr), &info);
    return info.hwndFocus;
}

}  // namespace morvane::test

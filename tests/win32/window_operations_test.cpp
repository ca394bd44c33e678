// Each operation end to end through the real window of morvane.exe: the
// controls set as a user sets them, the boxes read and answered, the files
// and the stand-in compiler's log checked afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>

#include "form1_fixture.h"

namespace fs = std::filesystem;

namespace morvane::test {
namespace {

// Project files in Windows-1252 with CRLF lines; "Año" has a byte above 127.
const std::string kWithMain = "Type=Exe\r\nForm=Principal.frm\r\nName=\"A\xf1o\"\r\n";
const std::string kWithoutMain = "Type=Exe\r\nForm=Otro.frm\r\n";

class Form1Operations : public Form1Test {
  protected:
    void SetUp() override {
        Form1Test::SetUp();
        writeProject("b.vbp", kWithoutMain);
        writeProject("C.vbp", kWithMain);
        writeProject("a.vbp", kWithMain);
    }

    // The end-of-run box, answered.
    void expectFinished() {
        HWND b = box();
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(boxText(b), L"Proceso Finalizado");
        EXPECT_EQ(windowText(b), L"Morvane");
        EXPECT_EQ(windowText(::GetDlgItem(b, IDOK)), L"Aceptar");
        answerBox(b, IDOK);
        ASSERT_TRUE(waitUntil([&] { return !::IsWindow(b); }));
        ASSERT_TRUE(waitUntil([&] { return windowText(control("CmdOK")) == L"&OK"; }));
    }

    void choose(int option) {
        press(control("OptTipo", option));
        ASSERT_TRUE(waitUntil([&] {
            return ::SendMessageW(control("OptTipo", option), BM_GETCHECK, 0, 0) == BST_CHECKED;
        }));
    }

    std::wstring projectShown(const char* name) { return (projects_ / name).wstring(); }

    std::vector<std::string> standInLog() const {
        std::ifstream in(work_ / "bin" / "vb6.log");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    std::map<std::wstring, std::wstring> compilerEnvironment(bool waits) const {
        std::map<std::wstring, std::wstring> env{
            {L"PATH", fs::path(wide(STAND_IN_BIN)).make_preferred().wstring() +
                          L";C:\\windows\\system32;C:\\windows"},
            {L"MORVANE_STANDIN_LOG", (work_ / "bin" / "vb6.log").wstring()}};
        if (waits) env[L"MORVANE_STANDIN_WAIT_FOR"] = (work_ / "bin" / "go").wstring();
        return env;
    }
};

TEST_F(Form1Operations, ListShowsTheProjectsSortedWithoutLetterCase) {
    start();
    openProjects(3);
    const std::vector<std::wstring> texts = list1().texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(::CompareStringOrdinal(texts[0].c_str(), -1, projectShown("a.vbp").c_str(), -1, TRUE),
              CSTR_EQUAL)
        << std::string(texts[0].begin(), texts[0].end());
    EXPECT_EQ(texts[1].substr(texts[1].size() - 5), L"b.vbp");
    EXPECT_EQ(texts[2].substr(texts[2].size() - 5), L"C.vbp");
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(list1().checked(i));
}

TEST_F(Form1Operations, SearchMarksTheProjectsThatHoldTheText) {
    start();
    openProjects(3);
    list1().setChecked(1, true);  // a mark the search takes away
    choose(3);
    setText(control("TxtBuscar"), L"Principal");
    press(control("CmdOK"));
    expectFinished();
    EXPECT_TRUE(list1().checked(0));
    EXPECT_FALSE(list1().checked(1));
    EXPECT_TRUE(list1().checked(2));
}

TEST_F(Form1Operations, SearchAndReplaceRewritesTheMarkedProjectAndKeepsTheOldOne) {
    start();
    openProjects(3);
    list1().setChecked(0, true);
    setText(control("TxtBuscar"), L"Principal");
    setText(control("TxtReemplazar"), L"Nuevo");
    press(control("CmdOK"));

    HWND question = box();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(windowText(question), L"Atenci\u00f3n!!!");
    EXPECT_NE(boxText(question).find(L"Principal"), std::wstring::npos);
    EXPECT_EQ(windowText(::GetDlgItem(question, IDYES)), L"&S\u00ed");
    EXPECT_EQ(windowText(::GetDlgItem(question, IDNO)), L"&No");
    answerBox(question, IDYES);
    ASSERT_TRUE(waitUntil([&] { return !::IsWindow(question); }));
    expectFinished();

    EXPECT_EQ(readFile(projects_ / "a.vbp"), "Type=Exe\r\nForm=Nuevo.frm\r\nName=\"A\xf1o\"\r\n");
    EXPECT_EQ(readFile(projects_ / "a.OLD"), kWithMain);
    EXPECT_EQ(readFile(projects_ / "C.vbp"), kWithMain);
    EXPECT_FALSE(fs::exists(projects_ / "C.OLD"));
}

TEST_F(Form1Operations, GroupFileNamedInTheInputBoxAndReplacedAfterTheQuestion) {
    start();
    openProjects(3);
    list1().setChecked(0, true);
    list1().setChecked(1, true);
    choose(0);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "a new group file" : "the group file again");
        press(control("CmdOK"));
        HWND input = box();
        ASSERT_NE(input, nullptr);
        EXPECT_EQ(windowText(input), L"Crear Visual Basic Group");
        EXPECT_EQ(windowText(::GetDlgItem(input, 100)),
                  L"El Nombre del Archivo, sin la Ruta, o Blanco para Cancelar");
        EXPECT_EQ(windowText(::GetDlgItem(input, IDOK)), L"Aceptar");
        EXPECT_EQ(windowText(::GetDlgItem(input, IDCANCEL)), L"Cancelar");
        setText(::GetDlgItem(input, 101), L"grupo");
        answerBox(input, IDOK);
        ASSERT_TRUE(waitUntil([&] { return !::IsWindow(input); }));
        if (round == 1) {
            HWND question = box();
            ASSERT_NE(question, nullptr);
            EXPECT_EQ(boxText(question),
                      L"El Archivo Informado ya Existe \u00bfDesea Reemplazarlo?");
            EXPECT_EQ(windowText(question), L"Morvane");
            answerBox(question, IDYES);
            ASSERT_TRUE(waitUntil([&] { return !::IsWindow(question); }));
        }
        expectFinished();
    }
    const std::string group = readFile(projects_ / "grupo.vbG");
    EXPECT_EQ(group.rfind("VBGROUP 5.0\r\nStartupProject=", 0), 0u) << group;
    EXPECT_NE(group.find("a.vbp\r\nProject="), std::string::npos) << group;
    EXPECT_NE(group.find("b.vbp\r\n"), std::string::npos) << group;
    EXPECT_EQ(group.find("C.vbp"), std::string::npos) << group;
}

TEST_F(Form1Operations, BuildStartsTheCompilerForEachMarkedProject) {
    start(compilerEnvironment(false));
    openProjects(3);
    list1().setChecked(0, true);
    list1().setChecked(2, true);
    choose(2);
    press(control("CmdOK"));
    expectFinished();

    std::vector<std::string> commands;
    for (const std::string& line : standInLog()) {
        if (line.rfind("cmdline ", 0) == 0) commands.push_back(line.substr(8));
    }
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].rfind("vb6 /m ", 0), 0u) << commands[0];
    EXPECT_NE(commands[0].find("a.vbp"), std::string::npos) << commands[0];
    EXPECT_NE(commands[1].find("C.vbp"), std::string::npos) << commands[1];
}

struct CancelCase {
    const char* name;
    bool closeWindow;  // the window's close box instead of the button
};

class Form1Cancel : public Form1Operations, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(Form1Cancel, EndsTheProgramWhileTheCompilerRunsOn) {
    start(compilerEnvironment(true));
    openProjects(3);
    for (int i = 0; i < 3; ++i) list1().setChecked(i, true);
    choose(2);
    press(control("CmdOK"));
    ASSERT_TRUE(waitUntil([&] { return standInLog().size() >= 3; }))
        << "the compiler was not started";
    ASSERT_TRUE(waitUntil([&] { return windowText(control("CmdOK")) == L"&CANCELAR"; }));

    if (GetParam().closeWindow) {
        ::PostMessageW(form_, WM_CLOSE, 0, 0);
    } else {
        ::PostMessageW(control("CmdOK"), WM_SYSCHAR, 'c', 1 << 29);  // Alt+C
    }
    EXPECT_TRUE(program_->hasEnded(std::chrono::seconds(30))) << "the program did not end";

    const std::vector<std::string> log = standInLog();
    ASSERT_FALSE(log.empty());
    const DWORD compiler = std::stoul(log[0].substr(6));
    HANDLE running = ::OpenProcess(SYNCHRONIZE, FALSE, compiler);
    ASSERT_NE(running, nullptr) << "the compiler did not run on";
    EXPECT_EQ(::WaitForSingleObject(running, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    std::ofstream(work_ / "bin" / "go") << "go";
    EXPECT_EQ(::WaitForSingleObject(running, 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    ::CloseHandle(running);

    int starts = 0;
    for (const std::string& line : standInLog()) starts += line.rfind("start ", 0) == 0;
    EXPECT_EQ(starts, 1) << "a later project was built after the cancel";
    EXPECT_NE(readFile(work_ / "bin" / "vb6.log").find("a.vbp"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Ways, Form1Cancel,
                         ::testing::Values(CancelCase{"cancel_button_by_access_key", false},
                                           CancelCase{"closing_the_window", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace morvane::test

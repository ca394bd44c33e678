// A running morvane.exe over a folder of project files of the test's own,
// with its controls found by their names in the window's description.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/form_description.h"
#include "remote_window.h"

namespace morvane::test {

class Form1Test : public ::testing::Test {
  protected:
    // A fresh folder holding "proyectos" (where the project files go) and
    // "bin" (the stand-in compiler's log).
    void SetUp() override;
    void TearDown() override;

    // Writes a file of bytes into the projects' folder.
    void writeProject(const std::string& name, const std::string& bytes);
    std::string readFile(const std::filesystem::path& path) const;
    // Starts the program in the work folder (the parent of "proyectos").
    void start(const std::map<std::wstring, std::wstring>& environment = {});
    // Opens "proyectos" in Dir1 with Return, as a user does, and waits for
    // List1 to show its `expected` projects.
    void openProjects(int expected);

    HWND control(const char* name, int index = -1) const;
    RemoteListView list1() const;
    // The program's box, once it is shown; fails the test when none comes.
    HWND box() const;
    // The message text of a message box.
    static std::wstring boxText(HWND box);
    // The control that has the keyboard focus in the program.
    HWND focus() const;

    std::filesystem::path work_;
    std::filesystem::path projects_;
    std::unique_ptr<RunningProgram> program_;
    HWND form_ = nullptr;
};

// The program's Windows path for a file of the projects' folder, as the
// lists show it.
std::wstring shownPath(const std::filesystem::path& file);
std::wstring wide(std::string_view utf8);

}  // namespace morvane::test

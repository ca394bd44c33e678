// Driving morvane.exe from another process of the same Wine prefix, through
// its real controls: starting it in a folder, finding its window and boxes,
// reading and setting controls with their own messages (list view items
// through memory of the program's process).
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace morvane::test {

// Waits until `done` holds, checking every 20 ms; false on time-out.
bool waitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(60));

std::wstring windowText(HWND window);

class RunningProgram {
  public:
    // Starts the program in `folder` with these variables added to the
    // environment (a value replaces the inherited one).
    RunningProgram(const std::filesystem::path& exe, const std::filesystem::path& folder,
                   const std::map<std::wstring, std::wstring>& environment = {});
    // Ends the program if it still runs.
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    DWORD id() const { return info_.dwProcessId; }
    HANDLE process() const { return info_.hProcess; }
    bool hasEnded(std::chrono::milliseconds wait = std::chrono::milliseconds(0)) const;

    // The program's visible top-level window of that class; null on time-out.
    HWND waitForWindow(const wchar_t* windowClass,
                       std::chrono::milliseconds limit = std::chrono::seconds(90)) const;
    // A visible dialog box of the program (a message box or the input box).
    HWND waitForBox(std::chrono::milliseconds limit = std::chrono::seconds(60)) const;

  private:
    PROCESS_INFORMATION info_{};
};

// Presses a button the way a click does, without waiting for its handler.
void press(HWND button);
// Answers a box with the button of that identifier.
void answerBox(HWND box, int buttonId);
// Types a text into an edit control (WM_SETTEXT).
void setText(HWND control, const std::wstring& text);

// A list view of another process.
class RemoteListView {
  public:
    RemoteListView(HANDLE process, HWND list) : process_(process), list_(list) {}
    int count() const;
    std::wstring text(int index) const;
    bool checked(int index) const;
    void setChecked(int index, bool checked) const;
    std::vector<std::wstring> texts() const;

  private:
    HANDLE process_;
    HWND list_;
};

// The Windows path of a host path under Wine's z: drive.
std::wstring windowsPath(const std::filesystem::path& hostPath);

}  // namespace morvane::test

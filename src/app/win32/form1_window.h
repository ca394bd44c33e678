// Form1 on Win32: the program's only window, made of the system's own
// controls and built from its stored description (form1Description): the
// same captions, places (twips converted at the monitor's DPI, laid out anew
// when the window moves to a monitor of another DPI), fonts and tab order.
// It provides the controls (MainForm for the run, FormControls for the
// window's behaviour) and hands every event to FormLogic.
//
// Provides: push buttons, option buttons of which Tab reaches only the
// selected one (the arrow keys move within the group), single-line text
// boxes without a length limit, the drive, folder and project lists, labels;
// access keys through the dialog manager; each control's identifier from
// control_ids.h.
// Does not provide: resizing, menus, a restriction of typed text to the
// characters of Windows-1252.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/form_controls.h"
#include "app/form_logic.h"
#include "app/win32/drive_combo.h"
#include "app/win32/folder_list_box.h"
#include "app/win32/project_list_view.h"
#include "app/win32/window_fonts.h"
#include "platform/services.h"

namespace morvane {

class DriveTable;

class Win32Form1 : public MainForm, public FormControls {
  public:
    explicit Win32Form1(const DriveTable& drives);
    ~Win32Form1() override;
    Win32Form1(const Win32Form1&) = delete;
    Win32Form1& operator=(const Win32Form1&) = delete;

    // Makes the window and its controls, hidden. Throws std::runtime_error
    // when Windows refuses.
    void create();
    HWND handle() const { return window_; }

    void setServices(Services& services) { logic_.setServices(services); }
    void Form_Load() { logic_.Form_Load(); }
    // Shows the window with List1 focused.
    void show(int showCommand);

    // The window's own keys, before the dialog manager sees them: the arrow
    // keys among the option buttons, Return in the folder list. True when
    // the message was handled.
    bool filterMessage(const MSG& message);

    // MainForm
    std::string cmdOkCaption() const override;
    void setCmdOkCaption(const std::string& caption) override;
    std::string txtBuscar() const override;
    std::string txtReemplazar() const override;
    bool optTipo(int index) const override;
    int listCount() const override { return list1_.count(); }
    std::string listText(int index) const override { return list1_.entryText(index); }
    bool listSelected(int index) const override { return list1_.isMarked(index); }
    void setListSelected(int index, bool selected) override { list1_.setMarked(index, selected); }
    std::string dirPath() const override { return dir1_.path(); }
    void setDetalle(const std::string& caption) override;
    void refreshDetalle() override;

    // FormControls
    std::string selectedDrive() const override { return drive1_.drive(); }
    void showDrive(char letter) override { drive1_.showDrive(letter); }
    void setFolderPath(const std::string& path) override { dir1_.setPath(path); }
    void clearProjects() override { list1_.clear(); }
    void setProjects(const std::vector<std::string>& entries) override {
        list1_.replaceEntries(entries);
    }
    std::optional<PixelRect> screenArea() override;
    PixelSize outerSize() override;
    int dotsPerInch() const override { return dpi_; }
    void moveWindow(int left, int top) override;
    void closeAfterProgramEnded() override;

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    // Places, sizes and fonts at a DPI.
    void layout(int dpi);
    void command(int id, int notification);
    void selectOption(int index);
    HWND control(const char* name, int index = -1) const;
    std::string textOf(const char* name) const;

    const DriveTable& drives_;
    HWND window_ = nullptr;
    int dpi_ = 96;
    std::vector<HWND> controls_;  // in the description's order
    std::vector<HWND> options_;   // OptTipo by index
    DriveCombo drive1_;
    FolderListBox dir1_;
    ProjectListView list1_;
    WindowFont windowFont_;
    std::vector<WindowFont> ownFonts_;  // controls with a font of their own
    HBRUSH background_ = nullptr;
    FormLogic logic_{*this, *this};
    int pressesRunning_ = 0;      // CmdOK presses in progress
    bool closeAfterRun_ = false;  // closed while a run went on
};

}  // namespace morvane

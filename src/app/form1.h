// Form1 on Qt: the program's only window, built from its stored description
// (form_description.h). It provides the controls (MainForm for the run,
// FormControls for the window's own behaviour) and hands every event to
// FormLogic, which holds that behaviour.
#pragma once

#include <QWidget>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/form_controls.h"
#include "app/form_logic.h"
#include "platform/services.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace morvane {

class DriveList;
class DriveTable;
class FolderList;
class ProjectList;

class Form1 : public QWidget, public MainForm, public FormControls {
    Q_OBJECT
  public:
    explicit Form1(const DriveTable& drives, QWidget* parent = nullptr);
    ~Form1() override;

    // What the window's handlers work with; the window stays inert (no
    // listing, no run) until it has them.
    void setServices(Services& services) { logic_.setServices(services); }

    // The window's handlers (FormLogic): Form_Load centres the window;
    // Drive1_Change and Dir1_Change throw the platform's failures, and the
    // window's events reach them through guards that show a failure.
    void Form_Load() { logic_.Form_Load(); }
    void Drive1_Change() { logic_.Drive1_Change(); }
    void Dir1_Change() { logic_.Dir1_Change(); }

    // MainForm
    std::string cmdOkCaption() const override;
    void setCmdOkCaption(const std::string& caption) override;
    std::string txtBuscar() const override;
    std::string txtReemplazar() const override;
    bool optTipo(int index) const override;
    int listCount() const override;
    std::string listText(int index) const override;
    bool listSelected(int index) const override;
    void setListSelected(int index, bool selected) override;
    std::string dirPath() const override;
    void setDetalle(const std::string& caption) override;
    void refreshDetalle() override;

    // FormControls
    std::string selectedDrive() const override;
    void showDrive(char letter) override;
    void setFolderPath(const std::string& path) override;
    void clearProjects() override;
    void setProjects(const std::vector<std::string>& entries) override;
    std::optional<PixelRect> screenArea() override;
    PixelSize outerSize() override;
    int dotsPerInch() const override;
    void moveWindow(int left, int top) override;
    void closeAfterProgramEnded() override;

    // The controls, under their stored names.
    QPushButton* CmdInvertir;
    QPushButton* CmdImprimir;
    QPushButton* CmdOK;
    std::array<QRadioButton*, 4> OptTipo;
    QLineEdit* TxtBuscar;
    QLineEdit* TxtReemplazar;
    FolderList* Dir1;
    DriveList* Drive1;
    ProjectList* List1;
    QLabel* lblDetalle;
    std::array<QLabel*, 2> Label1;

  signals:
    // A run ended the program by unwinding (a test's ending), not by exiting.
    void programEnded();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void updateOptionFocus();

    FormLogic logic_{*this, *this};
    bool shownOnce_ = false;
};

}  // namespace morvane

// Form1, the program's only window: built from its stored description
// (form1.ui), centred by Form_Load, with the folder browsing that fills the
// project list. The run sees it only as a MainForm.
#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "platform/services.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace Ui {
class Form1;
}

namespace morvane {

class DriveList;
class DriveTable;
class FolderList;
class ProjectList;

class Form1 : public QWidget, public MainForm {
    Q_OBJECT
  public:
    explicit Form1(const DriveTable& drives, QWidget* parent = nullptr);
    ~Form1() override;

    // What the window's handlers work with; the window stays inert (no
    // listing, no run) until it has them.
    void setServices(Services& services) { services_ = &services; }

    // The load handler: centres the window on its screen, ignoring failures.
    void Form_Load();
    // The change handlers of the drive and folder lists. They throw the
    // platform's failures; the window's events reach them through guards
    // that show a failure and keep the program running.
    void Drive1_Change();
    void Dir1_Change();

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
    void onCmdOkClicked();
    void updateOptionFocus();
    void onDriveChanged();
    void onDirChanged();
    // A drive or folder that could not be read: the list stays empty, the
    // drive list shows the folder list's drive again, and the user is told.
    void browsingFailed(const std::string& description);

    std::unique_ptr<Ui::Form1> ui_;
    Services* services_ = nullptr;
    int runDepth_ = 0;  // calls of CmdOK_Click in progress (a cancel nests in a run)
    bool shownOnce_ = false;
};

}  // namespace morvane

// Dir1 on Qt: the folder list, the way the target platform shows one: the
// folders of its path from the drive's root down, then the sub-folders of the
// current folder (resolved and listed by folder_tree.h). Opening an entry (double-click, or Enter
// on the highlighted entry) makes it the path; a single click only highlights it. Every change of
// the path, by the user or by the program, is reported.
#pragma once

#include <QListWidget>
#include <string>
#include <vector>

#include "app/folder_tree.h"

namespace morvane {

class DriveTable;
class Failure;

class FolderList : public QListWidget {
    Q_OBJECT
  public:
    explicit FolderList(QWidget* parent = nullptr);

    // Shows the start drive's current folder, without reporting a change.
    void attach(const DriveTable& drives);

    // The current folder as a program path: "C:\" or "C:\Proyectos\Ventas".
    std::string path() const { return path_; }
    // The drive of the path, lower case; 0 before attach.
    char drive() const;

    // Sets the path: a folder ("C:\Proyectos", "c:/a/b"), a drive alone ("c:")
    // for that drive's current folder, or a folder relative to the path.
    // Reports a change when the path differs from the one before. Throws
    // Failure (76 for a folder that does not exist, the host's error for one
    // that cannot be read) and then keeps the path and entries it had.
    void setPath(const std::string& path);

    // The folder that entry `row` stands for.
    std::string entryPath(int row) const;
    // Opens entry `row` as the user does. A failure is reported through
    // openFailed, never thrown.
    void openEntry(int row);

  signals:
    void pathChanged();
    void openFailed(const QString& description);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The folder `path` names, its sub-folders in the order shown.
    ResolvedFolder resolve(const std::string& path) const;
    void show(const ResolvedFolder& folder);

    const DriveTable* drives_ = nullptr;
    std::string path_;
};

}  // namespace morvane

// Drive1: the drive list. Shows each drive of the drive table with the host
// folder behind it; its value is the selected drive as text ("c:").
#pragma once

#include <QComboBox>
#include <string>

namespace morvane {

class DriveTable;

class DriveList : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveList(QWidget* parent = nullptr);

    // Fills the list from the table and selects its start drive, without
    // reporting a change.
    void attach(const DriveTable& drives);
    // The selected drive, "c:"; empty when the table has no drive.
    std::string drive() const;
    // Selects a drive (either case) without reporting a change; false when
    // the list does not hold it.
    bool showDrive(char letter);

  signals:
    // The user (or a test acting as one) selected another drive.
    void driveChanged();
};

}  // namespace morvane

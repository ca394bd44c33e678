#include "app/drive_list.h"

#include <QSignalBlocker>
#include <cctype>

#include "platform/drives.h"

namespace morvane {

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentIndexChanged, this, [this](int) { emit driveChanged(); });
}

void DriveList::attach(const DriveTable& drives) {
    const QSignalBlocker quiet(this);
    clear();
    for (char letter : drives.letters()) {
        const QString value = QString("%1:").arg(QChar(letter));
        addItem(QString("%1 [%2]").arg(value,
                                       QString::fromStdString(drives.hostFolder(letter).string())),
                value);
    }
    showDrive(drives.startDrive());
}

std::string DriveList::drive() const {
    return currentData().toString().toStdString();
}

bool DriveList::showDrive(char letter) {
    const QString value = QString("%1:").arg(
        QChar(static_cast<char>(std::tolower(static_cast<unsigned char>(letter)))));
    const int index = findData(value);
    if (index < 0) return false;
    const QSignalBlocker quiet(this);
    setCurrentIndex(index);
    return true;
}

}  // namespace morvane

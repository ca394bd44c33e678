#include "app/folder_list.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>
#include <algorithm>

#include "app/folder_tree.h"
#include "app/project_list.h"
#include "platform/drives.h"
#include "platform/failure.h"

namespace morvane {

namespace {

constexpr int kPathRole = Qt::UserRole;

// In the order the target platform's folder list shows them: letter case
// ignored, as in the project list.
void sortAsShown(std::vector<std::string>& names) {
    std::vector<QString> shown;
    shown.reserve(names.size());
    for (const std::string& n : names) shown.push_back(QString::fromStdString(n));
    std::sort(shown.begin(), shown.end(), ProjectList::before);
    for (std::size_t i = 0; i < shown.size(); ++i) names[i] = shown[i].toStdString();
}

}  // namespace

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { openEntry(row(item)); });
}

void FolderList::attach(const DriveTable& drives) {
    drives_ = &drives;
    const char start = drives.startDrive();
    try {
        const ResolvedFolder folder = resolve(drives.currentFolder(start));
        path_ = folder.program;
        show(folder);
    } catch (const std::exception&) {
        // An unreadable start folder: the path stands, without entries.
        path_ = rootOf(start);
        clear();
    }
}

char FolderList::drive() const {
    return driveOf(path_);
}

ResolvedFolder FolderList::resolve(const std::string& requested) const {
    if (drives_ == nullptr) throw Failure(err::kPathNotFound);
    ResolvedFolder folder = resolveFolder(*drives_, path_, requested);
    sortAsShown(folder.subFolders);
    return folder;
}

void FolderList::show(const ResolvedFolder& folder) {
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

    setUpdatesEnabled(false);
    clear();
    for (const FolderEntry& e : folderEntries(folder)) {
        const QString indent(static_cast<int>(e.level) * 2, ' ');
        auto* item =
            new QListWidgetItem(e.open ? open : closed, indent + QString::fromStdString(e.text));
        item->setData(kPathRole, QString::fromStdString(e.path));
        addItem(item);
    }
    setCurrentRow(static_cast<int>(folder.names.size()));
    setUpdatesEnabled(true);
}

void FolderList::setPath(const std::string& requested) {
    const ResolvedFolder folder = resolve(requested);
    const bool changed = folder.program != path_;
    path_ = folder.program;
    show(folder);
    if (changed) emit pathChanged();
}

std::string FolderList::entryPath(int row) const {
    const QListWidgetItem* entry = item(row);
    if (entry == nullptr) throw Failure(err::kInvalidPropertyIndex);
    return entry->data(kPathRole).toString().toStdString();
}

void FolderList::openEntry(int row) {
    try {
        setPath(entryPath(row));
    } catch (const Failure& f) {
        emit openFailed(QString::fromStdString(f.description()));
    } catch (const std::exception& e) {
        emit openFailed(QString::fromStdString(e.what()));
    }
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (currentRow() >= 0) openEntry(currentRow());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

}  // namespace morvane

#include "app/folder_list.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "app/project_list.h"
#include "platform/drives.h"
#include "platform/failure.h"

namespace fs = std::filesystem;

namespace morvane {

namespace {

constexpr int kPathRole = Qt::UserRole;

bool isDriveLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
char lowerLetter(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}
char upperLetter(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

std::string rootOf(char letter) {
    return std::string{upperLetter(letter), ':', '\\'};
}

// The visible sub-folders of a host folder, sorted as the target platform's
// folder list sorts them (letter case ignored). Hidden (dot) folders are left
// out; links to folders count as folders.
std::vector<std::string> subFoldersOf(const fs::path& host) {
    std::error_code ec;
    fs::directory_iterator it(host, ec);
    if (ec) throw failureFromErrno(ec.value());
    std::vector<QString> names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) throw failureFromErrno(ec.value());
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        // The entry's own type (from the folder listing) answers without a
        // stat per name; only links and unknown types are looked up.
        std::error_code kind;
        if (it->is_directory(kind)) names.push_back(QString::fromStdString(name));
    }
    if (ec) throw failureFromErrno(ec.value());
    std::sort(names.begin(), names.end(), ProjectList::before);
    std::vector<std::string> out;
    out.reserve(names.size());
    for (const QString& n : names) out.push_back(n.toStdString());
    return out;
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
        const Resolved folder = resolve(drives.currentFolder(start));
        path_ = folder.program;
        show(folder);
    } catch (const std::exception&) {
        // An unreadable start folder: the path stands, without entries.
        path_ = rootOf(start);
        clear();
    }
}

char FolderList::drive() const {
    return path_.empty() ? 0 : lowerLetter(path_[0]);
}

FolderList::Resolved FolderList::resolve(const std::string& requested) const {
    if (drives_ == nullptr) throw Failure(err::kPathNotFound);
    std::string target = requested;
    char letter = drive();
    if (target.size() >= 2 && target[1] == ':' && isDriveLetter(target[0])) {
        letter = lowerLetter(target[0]);
        // A drive alone, as the drive list gives it: that drive's current folder.
        if (target.size() == 2 || target[2] == ' ') target = drives_->currentFolder(letter);
    } else if (!target.empty() && (target[0] == '\\' || target[0] == '/')) {
        target = std::string{letter, ':'} + target;
    } else {
        target = path_ + "\\" + target;
    }
    if (!drives_->hasDrive(letter)) throw Failure(err::kPathNotFound);

    const fs::path host = drives_->toHost(target);
    std::error_code ec;
    if (!fs::is_directory(host, ec)) throw Failure(err::kPathNotFound);

    Resolved folder;
    const fs::path below = host.lexically_relative(drives_->hostFolder(letter));
    folder.program = rootOf(letter);
    for (const fs::path& part : below) {
        const std::string name = part.string();
        if (name.empty() || name == ".") continue;
        if (name == "..") throw Failure(err::kPathNotFound);
        if (!folder.names.empty()) folder.program += '\\';
        folder.program += name;
        folder.names.push_back(name);
    }
    folder.subFolders = subFoldersOf(host);
    return folder;
}

void FolderList::show(const Resolved& folder) {
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto indent = [](std::size_t level) { return QString(static_cast<int>(level) * 2, ' '); };

    setUpdatesEnabled(false);
    clear();
    std::string path{folder.program.substr(0, 3)};
    auto* root = new QListWidgetItem(
        open, QString::fromStdString(std::string{lowerLetter(path[0]), ':', '\\'}));
    root->setData(kPathRole, QString::fromStdString(path));
    addItem(root);
    for (std::size_t i = 0; i < folder.names.size(); ++i) {
        if (i > 0) path += '\\';
        path += folder.names[i];
        auto* item =
            new QListWidgetItem(open, indent(i + 1) + QString::fromStdString(folder.names[i]));
        item->setData(kPathRole, QString::fromStdString(path));
        addItem(item);
    }
    const int current = count() - 1;
    const std::string prefix = folder.names.empty() ? folder.program : folder.program + "\\";
    for (const std::string& name : folder.subFolders) {
        auto* item = new QListWidgetItem(
            closed, indent(folder.names.size() + 1) + QString::fromStdString(name));
        item->setData(kPathRole, QString::fromStdString(prefix + name));
        addItem(item);
    }
    setCurrentRow(current);
    setUpdatesEnabled(true);
}

void FolderList::setPath(const std::string& requested) {
    const Resolved folder = resolve(requested);
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

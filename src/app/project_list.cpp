#include "app/project_list.h"

#include <algorithm>

#include "platform/failure.h"

namespace morvane {

ProjectList::ProjectList(QWidget* parent) : QListWidget(parent) {
    // Every row has the same height: layout stays linear for long lists.
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

bool ProjectList::before(const QString& a, const QString& b) {
    const int byCase = QString::compare(a, b, Qt::CaseInsensitive);
    if (byCase != 0) return byCase < 0;
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

QListWidgetItem* ProjectList::newEntry(const QString& text) {
    auto* item = new QListWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    return item;
}

void ProjectList::addEntry(const std::string& text) {
    const QString entry = QString::fromStdString(text);
    // Binary search for the first entry that sorts after the new one.
    int low = 0, high = count();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (before(entry, item(mid)->text())) {
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    insertItem(low, newEntry(entry));
}

void ProjectList::replaceEntries(const std::vector<std::string>& texts) {
    std::vector<QString> sorted;
    sorted.reserve(texts.size());
    for (const std::string& t : texts) sorted.push_back(QString::fromStdString(t));
    std::stable_sort(sorted.begin(), sorted.end(), before);

    setUpdatesEnabled(false);
    clear();
    for (const QString& t : sorted) addItem(newEntry(t));
    setUpdatesEnabled(true);
}

QListWidgetItem* ProjectList::entryAt(int index) const {
    if (index < 0 || index >= count()) throw Failure(err::kInvalidPropertyIndex);
    return item(index);
}

std::string ProjectList::entryText(int index) const {
    return entryAt(index)->text().toStdString();
}

bool ProjectList::isMarked(int index) const {
    return entryAt(index)->checkState() == Qt::Checked;
}

void ProjectList::setMarked(int index, bool marked) {
    entryAt(index)->setCheckState(marked ? Qt::Checked : Qt::Unchecked);
}

std::vector<std::string> ProjectList::entries() const {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(count()));
    for (int i = 0; i < count(); ++i) out.push_back(item(i)->text().toStdString());
    return out;
}

}  // namespace morvane

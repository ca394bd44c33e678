// List1: the project list. Entries stay sorted alphabetically without regard
// to letter case, each with a check box; an entry is marked exactly when its
// box is checked.
#pragma once

#include <QListWidget>
#include <string>
#include <vector>

namespace morvane {

class ProjectList : public QListWidget {
    Q_OBJECT
  public:
    explicit ProjectList(QWidget* parent = nullptr);

    // Adds one unmarked entry at its sorted place.
    void addEntry(const std::string& text);
    // Replaces every entry with these, unmarked, sorted in one go: a folder of
    // tens of thousands of projects fills the list in n log n.
    void replaceEntries(const std::vector<std::string>& texts);

    std::string entryText(int index) const;  // Failure 381 past the end
    bool isMarked(int index) const;          // Failure 381 past the end
    void setMarked(int index, bool marked);  // Failure 381 past the end
    std::vector<std::string> entries() const;

    // The order of the list: letter case ignored, then exact text, so equal
    // names in different case keep one stable order.
    static bool before(const QString& a, const QString& b);

  private:
    QListWidgetItem* entryAt(int index) const;
    static QListWidgetItem* newEntry(const QString& text);
};

}  // namespace morvane

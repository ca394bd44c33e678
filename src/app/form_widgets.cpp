#include "app/form_widgets.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <limits>
#include <stdexcept>
#include <string>

#include "app/centrado.h"
#include "app/drive_list.h"
#include "app/folder_list.h"
#include "app/project_list.h"

namespace morvane {

namespace {

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Only what the description sets: a weight or slant left unset is inherited.
QFont fontOf(const FontDescription& f) {
    QFont font;
    font.setFamilies({text(f.family)});
    font.setPointSize(f.points);
    if (f.bold) font.setBold(true);
    if (f.italic) font.setItalic(true);
    return font;
}

QWidget* widgetFor(const ControlDescription& c, QWidget* parent) {
    const ControlSettings& s = c.settings;
    switch (c.kind) {
        case ControlKind::CommandButton: {
            auto* button = new QPushButton(parent);
            button->setAutoDefault(false);  // no default button: Enter presses none
            button->setText(text(c.caption));
            return button;
        }
        case ControlKind::OptionButton: {
            auto* option = new QRadioButton(parent);
            option->setChecked(s.selected);
            option->setText(text(c.caption));
            return option;
        }
        case ControlKind::TextBox: {
            auto* box = new QLineEdit(parent);
            box->setMaxLength(s.maxLength == kNoLengthLimit ? std::numeric_limits<int>::max()
                                                            : s.maxLength);
            if (!c.caption.empty()) box->setText(text(c.caption));
            return box;
        }
        case ControlKind::DriveList:
            return new DriveList(parent);
        case ControlKind::FolderList:
            return new FolderList(parent);
        case ControlKind::ListBox:
            // The project list is the only list box Qt has here.
            if (!s.sorted || !s.checkBoxes)
                throw std::logic_error("no Qt list box for " + std::string(c.name));
            return new ProjectList(parent);
        case ControlKind::Label: {
            auto* label = new QLabel(parent);
            label->setTextFormat(Qt::PlainText);  // paths may hold '<' or '&'
            if (s.alignment == TextAlignment::Center) label->setAlignment(Qt::AlignCenter);
            if (s.wraps) label->setWordWrap(true);
            label->setText(text(c.caption));
            return label;
        }
    }
    throw std::logic_error("unknown kind of control " + std::string(c.name));
}

}  // namespace

QString objectNameOf(const ControlDescription& control) {
    QString name = text(control.name);
    if (control.index >= 0) name += QStringLiteral("_%1").arg(control.index);
    return name;
}

void buildWidgets(QWidget& window, const WindowDescription& description) {
    window.setObjectName(text(description.name));
    const PixelSize client = clientPixels(description, kStandardDpi);
    window.resize(client.width, client.height);
    window.setMinimumSize(client.width, client.height);
    window.setMaximumSize(client.width, client.height);
    window.setFont(fontOf(description.font));

    for (const ControlDescription& c : description.controls) {
        QWidget* widget = widgetFor(c, &window);
        widget->setObjectName(objectNameOf(c));
        const PixelRect r = pixelsOf(c, kStandardDpi);
        widget->setGeometry(r.left, r.top, r.width, r.height);
        if (c.settings.font) widget->setFont(fontOf(*c.settings.font));
    }

    const auto order = tabOrder(description);
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(
            window.findChild<QWidget*>(objectNameOf(*order[i - 1]), Qt::FindDirectChildrenOnly),
            window.findChild<QWidget*>(objectNameOf(*order[i]), Qt::FindDirectChildrenOnly));
    }
    window.setWindowTitle(text(description.caption));
}

}  // namespace morvane

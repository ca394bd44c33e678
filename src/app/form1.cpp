#include "app/form1.h"

#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <stdexcept>
#include <string>

#include "app/ansi_validator.h"
#include "app/centrado.h"
#include "app/drive_list.h"
#include "app/folder_list.h"
#include "app/form_description.h"
#include "app/form_widgets.h"
#include "app/icono.h"
#include "app/linea_estado.h"
#include "app/project_list.h"
#include "platform/failure.h"

static void initResources() {
    Q_INIT_RESOURCE(morvane);
}

namespace morvane {

namespace {

// The widget made for a control of the description.
template <typename Widget>
Widget* control(QWidget& window, const char* name, int index = -1) {
    const ControlDescription* c = findControl(form1Description(), name, index);
    Widget* w = c == nullptr
                    ? nullptr
                    : window.findChild<Widget*>(objectNameOf(*c), Qt::FindDirectChildrenOnly);
    if (w == nullptr) throw std::logic_error(std::string("Form1 has no control ") + name);
    return w;
}

}  // namespace

Form1::Form1(const DriveTable& drives, QWidget* parent) : QWidget(parent) {
    initResources();
    // The window's font is the target desktop's own (MS Sans Serif, 8 pt),
    // for which the captions were sized; on Linux a sans of the same metrics
    // stands in, so that no caption is cut off.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    buildWidgets(*this, form1Description());
    CmdInvertir = control<QPushButton>(*this, "CmdInvertir");
    CmdImprimir = control<QPushButton>(*this, "CmdImprimir");
    CmdOK = control<QPushButton>(*this, "CmdOK");
    for (int i = 0; i < static_cast<int>(OptTipo.size()); ++i)
        OptTipo[static_cast<std::size_t>(i)] = control<QRadioButton>(*this, "OptTipo", i);
    TxtBuscar = control<QLineEdit>(*this, "TxtBuscar");
    TxtReemplazar = control<QLineEdit>(*this, "TxtReemplazar");
    Dir1 = control<FolderList>(*this, "Dir1");
    Drive1 = control<DriveList>(*this, "Drive1");
    List1 = control<ProjectList>(*this, "List1");
    lblDetalle = control<QLabel>(*this, "lblDetalle");
    Label1 = {control<QLabel>(*this, "Label1", 0), control<QLabel>(*this, "Label1", 1)};
    PintorDetalle::instalar(lblDetalle);

    setWindowIcon(iconoVentana());

    for (QLineEdit* box : {TxtBuscar, TxtReemplazar}) box->setValidator(new AnsiValidator(box));

    // Of the option group, Tab reaches only the selected button, at that
    // button's place in the tab order; the arrow keys move within the group.
    for (QRadioButton* option : OptTipo) {
        connect(option, &QRadioButton::toggled, this, &Form1::updateOptionFocus);
    }
    updateOptionFocus();

    Drive1->attach(drives);
    Dir1->attach(drives);

    // Only these events have handlers; CmdInvertir and CmdImprimir have none.
    connect(CmdOK, &QPushButton::clicked, this, [this] { logic_.CmdOK_Click(); });
    connect(Drive1, &DriveList::driveChanged, this, [this] { logic_.driveChanged(); });
    connect(Dir1, &FolderList::pathChanged, this, [this] { logic_.folderChanged(); });
    connect(Dir1, &FolderList::openFailed, this, [this](const QString& description) {
        logic_.folderOpenFailed(description.toStdString());
    });
}

Form1::~Form1() = default;

void Form1::updateOptionFocus() {
    for (QRadioButton* option : OptTipo) {
        option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    // Refused before asking: a close during a run's wait ends the program
    // from inside closeRequested, with the window still open.
    event->ignore();
    if (logic_.closeRequested()) event->accept();
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        // The control first in the tab order has the focus at start.
        const ControlDescription* first = tabOrder(form1Description()).front();
        findChild<QWidget*>(objectNameOf(*first), Qt::FindDirectChildrenOnly)
            ->setFocus(Qt::OtherFocusReason);
    }
}

std::string Form1::cmdOkCaption() const {
    return CmdOK->text().toStdString();
}

void Form1::setCmdOkCaption(const std::string& caption) {
    CmdOK->setText(QString::fromStdString(caption));
}

std::string Form1::txtBuscar() const {
    return TxtBuscar->text().toStdString();
}

std::string Form1::txtReemplazar() const {
    return TxtReemplazar->text().toStdString();
}

bool Form1::optTipo(int index) const {
    if (index < 0 || index >= static_cast<int>(OptTipo.size()))
        throw Failure(err::kInvalidPropertyIndex);
    return OptTipo[static_cast<std::size_t>(index)]->isChecked();
}

int Form1::listCount() const {
    return List1->count();
}

std::string Form1::listText(int index) const {
    return List1->entryText(index);
}

bool Form1::listSelected(int index) const {
    return List1->isMarked(index);
}

void Form1::setListSelected(int index, bool selected) {
    List1->setMarked(index, selected);
}

std::string Form1::dirPath() const {
    return Dir1->path();
}

void Form1::setDetalle(const std::string& caption) {
    lblDetalle->setText(QString::fromStdString(caption));
}

void Form1::refreshDetalle() {
    lblDetalle->repaint();
}

std::string Form1::selectedDrive() const {
    return Drive1->drive();
}

void Form1::showDrive(char letter) {
    Drive1->showDrive(letter);
}

void Form1::setFolderPath(const std::string& path) {
    Dir1->setPath(path);
}

void Form1::clearProjects() {
    List1->clear();
}

void Form1::setProjects(const std::vector<std::string>& entries) {
    List1->replaceEntries(entries);
}

std::optional<PixelRect> Form1::screenArea() {
    QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (s == nullptr) return std::nullopt;
    const QRect area = s->geometry();
    return PixelRect{area.x(), area.y(), area.width(), area.height()};
}

PixelSize Form1::outerSize() {
    // A window that exists natively knows its frame on most platforms, so
    // the outer size includes border and title bar where it can.
    winId();
    const QSize outer = frameGeometry().size();
    return {outer.width(), outer.height()};
}

int Form1::dotsPerInch() const {
    // Qt counts in device-independent pixels, which are pixels at 96 dots per
    // inch whatever the display's scaling.
    return kStandardDpi;
}

void Form1::moveWindow(int left, int top) {
    move(left, top);
}

void Form1::closeAfterProgramEnded() {
    hide();
    emit programEnded();
}

}  // namespace morvane

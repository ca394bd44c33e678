#include "app/form1.h"

#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>
#include <limits>
#include <vector>

#include "app/ansi_validator.h"
#include "app/centrado.h"
#include "app/drive_list.h"
#include "app/folder_list.h"
#include "app/icono.h"
#include "app/linea_estado.h"
#include "app/project_list.h"
#include "platform/failure.h"
#include "platform/text.h"
#include "run/controller.h"
#include "run/verifica_barra.h"
#include "ui_form1.h"

static void initResources() {
    Q_INIT_RESOURCE(morvane);
}

namespace morvane {

namespace {

constexpr int kCriticalOk = 16;  // OK button, critical icon
const std::string kCaptionOK = "&OK";

}  // namespace

Form1::Form1(const DriveTable& drives, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::Form1>()) {
    initResources();
    // The window's font is the target desktop's own (MS Sans Serif, 8 pt),
    // for which the captions were sized; on Linux a sans of the same metrics
    // stands in, so that no caption is cut off.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    ui_->setupUi(this);
    CmdInvertir = ui_->CmdInvertir;
    CmdImprimir = ui_->CmdImprimir;
    CmdOK = ui_->CmdOK;
    OptTipo = {ui_->OptTipo_0, ui_->OptTipo_1, ui_->OptTipo_2, ui_->OptTipo_3};
    TxtBuscar = ui_->TxtBuscar;
    TxtReemplazar = ui_->TxtReemplazar;
    Dir1 = ui_->Dir1;
    Drive1 = ui_->Drive1;
    List1 = ui_->List1;
    lblDetalle = ui_->lblDetalle;
    Label1 = {ui_->Label1_0, ui_->Label1_1};
    PintorDetalle::instalar(lblDetalle);

    setWindowIcon(iconoVentana());

    // The boxes hold text of any length: a long search text is searched as
    // typed, never cut to the toolkit's default limit of 32,767 characters.
    for (QLineEdit* box : {TxtBuscar, TxtReemplazar}) {
        box->setMaxLength(std::numeric_limits<int>::max());
        box->setValidator(new AnsiValidator(box));
    }

    // Of the option group, Tab reaches only the selected button, at that
    // button's place in the tab order; the arrow keys move within the group.
    for (QRadioButton* option : OptTipo) {
        connect(option, &QRadioButton::toggled, this, &Form1::updateOptionFocus);
    }
    updateOptionFocus();

    Drive1->attach(drives);
    Dir1->attach(drives);

    // Only these events have handlers; CmdInvertir and CmdImprimir have none.
    connect(CmdOK, &QPushButton::clicked, this, &Form1::onCmdOkClicked);
    connect(Drive1, &DriveList::driveChanged, this, &Form1::onDriveChanged);
    connect(Dir1, &FolderList::pathChanged, this, &Form1::onDirChanged);
    connect(Dir1, &FolderList::openFailed, this,
            [this](const QString& description) { browsingFailed(description.toStdString()); });
}

Form1::~Form1() = default;

void Form1::updateOptionFocus() {
    for (QRadioButton* option : OptTipo) {
        option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

void Form1::Form_Load() {
    // A failure here leaves the window where the platform put it.
    try {
        QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
        if (s == nullptr) return;
        // A window that exists natively knows its frame on most platforms, so
        // the outer size includes border and title bar where it can.
        winId();
        const QRect area = s->geometry();
        const QSize outer = frameGeometry().size();
        const float t = static_cast<float>(kTwipsPerPixel);
        const Posicion p =
            centrar(static_cast<float>(area.width()) * t, static_cast<float>(area.height()) * t,
                    static_cast<float>(outer.width()) * t, static_cast<float>(outer.height()) * t);
        move(area.x() + twipsToPixels(p.left), area.y() + twipsToPixels(p.top));
    } catch (...) {
    }
}

void Form1::Drive1_Change() {
    Dir1->setPath(Drive1->drive());
}

void Form1::Dir1_Change() {
    List1->clear();
    if (services_ == nullptr) return;
    std::string ruta = Dir1->path();
    const std::string prefijo = VerificaBarra(ruta);

    // Collected first and put in order in one go; a listing that fails half
    // way leaves the list empty.
    FileServices& files = services_->files;
    std::vector<std::string> entradas;
    std::string nombre = files.dir(prefijo + "*.vbp", attr::kNormal);
    while (!textEquals(nombre, "")) {
        entradas.push_back(prefijo + nombre);
        nombre = files.dirNext();
    }
    List1->replaceEntries(entradas);
}

void Form1::browsingFailed(const std::string& description) {
    List1->clear();
    Drive1->showDrive(Dir1->drive());
    if (services_ != nullptr) services_->toolkit.msgBox(description, kCriticalOk);
}

void Form1::onDriveChanged() {
    try {
        Drive1_Change();
    } catch (const Failure& f) {
        browsingFailed(f.description());
    } catch (const std::exception& e) {
        browsingFailed(e.what());
    }
}

void Form1::onDirChanged() {
    try {
        Dir1_Change();
    } catch (const Failure& f) {
        browsingFailed(f.description());
    } catch (const std::exception& e) {
        browsingFailed(e.what());
    }
}

void Form1::onCmdOkClicked() {
    if (services_ == nullptr) return;
    struct Depth {
        int& n;
        explicit Depth(int& d) : n(++d) {}
        ~Depth() { --n; }
    } depth(runDepth_);
    try {
        CmdOK_Click(*services_);
    } catch (const ProgramEnded&) {
        hide();
        emit programEnded();
    } catch (const std::exception& e) {
        // Nothing of a run should get here; if something does, the window lives on.
        setCmdOkCaption(kCaptionOK);
        services_->toolkit.msgBox(e.what(), kCriticalOk);
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    // Closing while a run waits for the compiler ends the program as the
    // cancel does: the same press of CmdOK, which finds "&CANCELAR".
    if (runDepth_ > 0 && !textEquals(cmdOkCaption(), kCaptionOK)) {
        event->ignore();
        onCmdOkClicked();
        return;
    }
    event->accept();
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        List1->setFocus(Qt::OtherFocusReason);
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

}  // namespace morvane

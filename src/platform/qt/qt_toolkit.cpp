#include "platform/qt/qt_toolkit.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace morvane {

namespace {

using Button = QMessageBox::StandardButton;

// The buttons of a style code, in the order in which the target platform
// shows them; the first one is the default unless the style names another.
std::vector<Button> buttonsOf(int style) {
    switch (style & 0xF) {
        case 1:
            return {QMessageBox::Ok, QMessageBox::Cancel};
        case 2:
            return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
        case 3:
            return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
        case 4:
            return {QMessageBox::Yes, QMessageBox::No};
        case 5:
            return {QMessageBox::Retry, QMessageBox::Cancel};
        default:
            return {QMessageBox::Ok};
    }
}

QMessageBox::Icon iconOf(int style) {
    switch (style & 0x70) {
        case 16:
            return QMessageBox::Critical;
        case 32:
            return QMessageBox::Question;
        case 48:
            return QMessageBox::Warning;
        case 64:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

QString titleOf(const std::optional<std::string>& title) {
    // The target platform shows the application's title for an empty title too.
    if (!title || title->empty()) return QString::fromUtf8(QtToolkit::kApplicationTitle);
    return QString::fromStdString(*title);
}

}  // namespace

int answerCodeOfButton(int standardButton) {
    switch (standardButton) {
        case QMessageBox::Ok:
            return 1;
        case QMessageBox::Cancel:
            return 2;
        case QMessageBox::Abort:
            return mb::kAbort;
        case QMessageBox::Retry:
            return mb::kRetry;
        case QMessageBox::Ignore:
            return mb::kIgnore;
        case QMessageBox::Yes:
            return mb::kYes;
        case QMessageBox::No:
            return mb::kNo;
        default:
            return 0;
    }
}

void QtToolkit::observeWhenShown(QDialog& dialog, const DialogRequest& request) {
    if (!observer_) return;
    // The zero timer fires inside the dialog's own event loop, once it is shown.
    QPointer<QDialog> guard(&dialog);
    QTimer::singleShot(0, &dialog, [this, guard, request] {
        if (guard) observer_(*guard, request);
    });
}

int QtToolkit::msgBox(const std::string& text, int style, const std::optional<std::string>& title) {
    QMessageBox box(iconOf(style), titleOf(title), QString::fromStdString(text),
                    QMessageBox::NoButton, parent_);
    box.setTextFormat(Qt::PlainText);
    const std::vector<Button> buttons = buttonsOf(style);
    for (Button b : buttons) box.addButton(b);
    const std::size_t def = static_cast<std::size_t>((style >> 8) & 0xF);
    box.setDefaultButton(buttons[def < buttons.size() ? def : 0]);

    observeWhenShown(box, {DialogRequest::Kind::Message, text, style, title});
    box.exec();
    if (QAbstractButton* clicked = box.clickedButton()) {
        if (const int code = answerCodeOfButton(box.standardButton(clicked))) return code;
    }
    // Closed without a button: the answer of its escape button, else the last button.
    if (QAbstractButton* esc = box.escapeButton()) {
        if (const int code = answerCodeOfButton(box.standardButton(esc))) return code;
    }
    return answerCodeOfButton(buttons.back());
}

void QtToolkit::prepareBoxes() {
    QMessageBox box(QMessageBox::Question, titleOf(std::nullopt),
                    QStringLiteral("Proceso Finalizado"), QMessageBox::NoButton, parent_);
    box.setTextFormat(Qt::PlainText);
    box.addButton(QMessageBox::Ok);
    box.ensurePolished();
    box.adjustSize();
}

std::string QtToolkit::inputBox(const std::string& prompt, const std::string& title) {
    QInputDialog dialog(parent_);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(titleOf(title));
    dialog.setLabelText(QString::fromStdString(prompt));
    dialog.setTextValue(QString());
    observeWhenShown(dialog, {DialogRequest::Kind::Input, prompt, 0, title});
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.textValue().toStdString();
}

void QtToolkit::doEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtToolkit::endProgram() {
    // Nothing may stop the ending: the files are closed as well as they can be.
    try {
        if (beforeEnd_) beforeEnd_();
    } catch (...) {
    }
    std::fflush(nullptr);
    try {
        if (ending_) ending_();
    } catch (const ProgramEnded&) {
        throw;  // an ending that unwinds (tests) is the caller's to catch
    } catch (...) {
    }
    std::_Exit(0);
}

}  // namespace morvane

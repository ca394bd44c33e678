// The real window offscreen, for tests that drive Morvane as a user does.
//
// AppFixture builds Form1 over a drive table in which C: is a fresh temporary
// folder, with the real file, component and process services and the Qt
// toolkit. Message and input boxes are real Qt dialogs; the fixture answers
// them from queues and records what they showed:
//
//   file("Proyectos/Ventas.vbp", "Type=Exe\r\n");   // bytes, exactly
//   openFolder("C:\\Proyectos");                     // Dir1 path -> Dir1_Change
//   mark("Ventas.vbp"); chooseOption(1);
//   typeBuscar("Ventas"); typeReemplazar("Compras");
//   boxes.answers = {mb::kYes};                      // the confirmation
//   pressOk();                                       // the whole run
//   EXPECT_EQ(boxes.shown.back().request.text, "Proceso Finalizado");
//
// Ending the program is real (std::_Exit(0) after the open files are closed),
// so a test of the cancel runs in a death test; the fixture prints the status
// line to stderr as the program ends, e.g.
//   EXPECT_EXIT(..., ::testing::ExitedWithCode(0), "lblDetalle: El proceso fue Cancelado");
// Death tests re-run the test executable, so the child has its own drive C:
// (removed as it ends); files that the parent checks afterwards belong in a
// SharedFolder.
//
// Link with morvane_app_test_main (tests/app/CMakeLists.txt does it for every
// *_e2e_test.cpp of that folder).
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/drive_list.h"
#include "app/folder_list.h"
#include "app/form1.h"
#include "app/project_list.h"
#include "platform/host_components.h"
#include "platform/host_files.h"
#include "platform/processes/host_processes.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/services.h"
#include "support/temp_drive.h"

namespace morvane::testing {

// One box as it appeared on screen.
struct ShownBox {
    DialogRequest request;             // kind, text, style and title as asked
    std::string windowTitle;           // the title bar as shown
    std::vector<std::string> buttons;  // button texts, as shown
    std::string defaultButton;         // text of the default button ("" for none)
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers the toolkit's boxes from queues and records every box.
class BoxAnswers {
  public:
    std::deque<int> answers;                        // answer codes for message boxes, in order
    std::deque<std::optional<std::string>> inputs;  // input boxes: text then OK; nullopt cancels
    std::vector<ShownBox> shown;                    // every box, in order
    // Runs with each box before it is answered (it may change the queues).
    std::function<void(const ShownBox&)> onBox;

    void attach(QtToolkit& toolkit) {
        toolkit.setDialogObserver(
            [this](QDialog& dialog, const DialogRequest& request) { handle(dialog, request); });
    }

    // Texts of the message boxes shown, in order.
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const ShownBox& b : shown) out.push_back(b.request.text);
        return out;
    }

  private:
    void handle(QDialog& dialog, const DialogRequest& request) {
        ShownBox box{request, dialog.windowTitle().toStdString(), {}, {}, QMessageBox::NoIcon};
        if (auto* message = qobject_cast<QMessageBox*>(&dialog)) {
            for (QAbstractButton* b : message->buttons())
                box.buttons.push_back(b->text().toStdString());
            if (QPushButton* d = message->defaultButton())
                box.defaultButton = d->text().toStdString();
            box.icon = message->icon();
            shown.push_back(box);
            if (onBox) onBox(shown.back());
            answerMessage(*message, request);
        } else if (auto* input = qobject_cast<QInputDialog*>(&dialog)) {
            shown.push_back(box);
            if (onBox) onBox(shown.back());
            if (inputs.empty()) {
                ADD_FAILURE() << "unexpected input box: " << request.text;
                input->reject();
                return;
            }
            const std::optional<std::string> text = inputs.front();
            inputs.pop_front();
            if (!text) {
                input->reject();
                return;
            }
            input->setTextValue(QString::fromStdString(*text));
            input->accept();
        }
    }

    void answerMessage(QMessageBox& message, const DialogRequest& request) {
        int code = 0;
        if (!answers.empty()) {
            code = answers.front();
            answers.pop_front();
        } else if ((request.style & 0xF) == 0) {
            code = 1;  // a box with OK only needs no queued answer
        } else {
            ADD_FAILURE() << "unexpected message box: " << request.text;
        }
        for (QAbstractButton* b : message.buttons()) {
            if (answerCodeOfButton(message.standardButton(b)) == code) {
                b->click();
                return;
            }
        }
        if (code != 0)
            ADD_FAILURE() << "box has no button for answer " << code << ": " << request.text;
        message.done(0);  // never leave a test hanging on a box
    }
};

// A folder that a death test's child uses too: the parent makes it and names
// it in the environment, the child (a new run of the test executable, which
// runs the test body again) finds it there. The parent removes it.
class SharedFolder {
  public:
    explicit SharedFolder(const std::string& name) : variable_("MORVANE_SHARED_FOLDER_" + name) {
        if (const char* p = std::getenv(variable_.c_str()); p != nullptr && *p != '\0') {
            path_ = p;
            return;
        }
        owned_ = std::make_unique<TempFolder>();
        path_ = owned_->path();
        setenv(variable_.c_str(), path_.c_str(), 1);
    }
    ~SharedFolder() {
        if (owned_) unsetenv(variable_.c_str());
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& rel) const { return path_ / rel; }

  private:
    std::string variable_;
    std::unique_ptr<TempFolder> owned_;
    std::filesystem::path path_;
};

class AppFixture : public ::testing::Test {
  protected:
    TempDrive drive{'c'};
    HostFileServices files{drive.drives()};
    HostComponents components{drive.drives()};
    HostProcesses processes;
    QtToolkit toolkit;
    BoxAnswers boxes;
    std::unique_ptr<Form1> form;
    std::unique_ptr<Services> services;

    void SetUp() override {
        form = std::make_unique<Form1>(drive.drives());
        services =
            std::make_unique<Services>(Services{files, components, processes, toolkit, *form});
        form->setServices(*services);
        toolkit.setParentWindow(form.get());
        boxes.attach(toolkit);
        toolkit.setBeforeEnd([this] {
            std::fprintf(stderr, "lblDetalle: %s\n", detalle().c_str());
            for (int n = 1; n <= HostFileServices::kMaxFileNumber; ++n) {
                if (files.isOpen(n)) files.close(n);
            }
            // The process ends without destructors: remove this run's drive C: now.
            std::error_code ec;
            std::filesystem::remove_all(drive.root(), ec);
        });
        form->Form_Load();
        form->show();
    }

    void TearDown() override {
        services.reset();
        form.reset();
    }

    // --- files on drive C: (paths relative to its root, written with '/') ---

    // Writes the bytes exactly; returns the host path.
    std::filesystem::path file(const std::string& rel, std::string_view bytes) {
        writeBytes(drive.host(rel), bytes);
        return drive.host(rel);
    }
    std::filesystem::path folder(const std::string& rel) {
        std::filesystem::create_directories(drive.host(rel));
        return drive.host(rel);
    }
    std::string bytesOf(const std::string& rel) const { return readBytes(drive.host(rel)); }
    bool exists(const std::string& rel) const { return std::filesystem::exists(drive.host(rel)); }
    // "Proyectos/Ventas.vbp" -> "C:\Proyectos\Ventas.vbp", as the window writes paths.
    static std::string programPath(const std::string& rel) {
        std::string p = "C:\\" + rel;
        for (char& c : p) {
            if (c == '/') c = '\\';
        }
        return p;
    }

    // --- the window, as the user works it ---

    // Sets Dir1's path as the program does ("C:\Proyectos"); a change runs
    // Dir1_Change. Throws the platform's Failure for a folder it cannot show.
    void openFolder(const std::string& programFolder) { form->Dir1->setPath(programFolder); }
    // Opens a folder by double-clicking its entry in Dir1 (its name as shown).
    void doubleClickFolder(const std::string& name) {
        const int row = folderRow(name);
        ASSERT_GE(row, 0) << "no folder entry " << name;
        // A double-click is a click followed by the second press.
        const QPoint at = folderPoint(row);
        QTest::mouseClick(form->Dir1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(form->Dir1->viewport(), Qt::LeftButton, {}, at);
    }
    // Where entry `row` of Dir1 is on screen, once the list has laid it out.
    QPoint folderPoint(int row) const {
        QListWidget* list = form->Dir1;
        list->doItemsLayout();
        list->scrollToItem(list->item(row));
        return list->visualItemRect(list->item(row)).center();
    }
    // The row of a folder entry shown in Dir1, or -1.
    int folderRow(const std::string& name) const {
        for (int i = 0; i < form->Dir1->count(); ++i) {
            if (form->Dir1->item(i)->text().trimmed().toStdString() == name) return i;
        }
        return -1;
    }
    // Selects a drive in Drive1 as the user does ('c').
    void chooseDrive(char letter) {
        const int index = form->Drive1->findData(QString("%1:").arg(QChar(letter)));
        ASSERT_GE(index, 0) << "no drive " << letter;
        form->Drive1->setCurrentIndex(index);
    }

    std::vector<std::string> entries() const { return form->List1->entries(); }
    std::vector<bool> marks() const {
        std::vector<bool> m;
        for (int i = 0; i < form->List1->count(); ++i) m.push_back(form->List1->isMarked(i));
        return m;
    }
    // Checks (or clears) the box of the entry whose file name is `fileName`.
    void mark(const std::string& fileName, bool on = true) {
        for (int i = 0; i < form->List1->count(); ++i) {
            const std::string e = form->List1->entryText(i);
            if (e.size() >= fileName.size() + 1 &&
                e.compare(e.size() - fileName.size(), fileName.size(), fileName) == 0 &&
                e[e.size() - fileName.size() - 1] == '\\') {
                form->List1->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
                return;
            }
        }
        ADD_FAILURE() << "no entry for " << fileName;
    }
    void markAll(bool on = true) {
        for (int i = 0; i < form->List1->count(); ++i)
            form->List1->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    // 0 group file, 1 search and replace, 2 build, 3 search.
    void chooseOption(int index) { form->OptTipo[static_cast<std::size_t>(index)]->click(); }
    // Replaces the box's text by typing `text` into it (UTF-8).
    void typeBuscar(const std::string& text) { typeInto(form->TxtBuscar, text); }
    void typeReemplazar(const std::string& text) { typeInto(form->TxtReemplazar, text); }
    static void typeInto(QLineEdit* box, const std::string& text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        typeKeys(box, QString::fromStdString(text));
    }
    // Key presses carrying each character, any character (QTest::keyClicks
    // takes ASCII only).
    static void typeKeys(QWidget* target, const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &press);
            QApplication::sendEvent(target, &release);
        }
    }
    // A click on CmdOK: the whole run (or the cancel) happens inside.
    void pressOk() { form->CmdOK->click(); }

    std::string detalle() const { return form->lblDetalle->text().toStdString(); }
    std::string caption() const { return form->CmdOK->text().toStdString(); }

    // Processes events until `done` holds or `ms` milliseconds have passed.
    static bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > ms) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

#ifdef MORVANE_STANDIN_BIN
    // Puts the stand-in compiler (a program named vb6) first on PATH.
    static void standInCompilerFirstOnPath() {
        const char* old = std::getenv("PATH");
        std::string path = std::string(MORVANE_STANDIN_BIN) + ":" + (old ? old : "/usr/bin:/bin");
        setenv("PATH", path.c_str(), 1);
    }
#endif
};

}  // namespace morvane::testing

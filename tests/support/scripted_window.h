// A scripted stand-in for the window: the controls as plain values, message
// and input boxes answered from queues and recorded, events processed by a
// hook. Tests of the run and the operations drive them through it.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/failure.h"
#include "platform/toolkit.h"

namespace morvane::testing {

struct Box {
    std::string text;
    int style;
    std::optional<std::string> title;
    bool operator==(const Box&) const = default;
};

struct InputRequest {
    std::string prompt;
    std::string title;
};

class ScriptedToolkit : public Toolkit {
public:
    std::deque<int> answers;             // answer codes for message boxes, in order
    std::deque<std::string> inputs;      // texts typed into input boxes, in order
    std::vector<Box> boxes;              // every message box shown
    std::vector<InputRequest> inputBoxes;
    std::function<void()> onDoEvents;    // what the pending events do
    int doEventsCalls = 0;
    bool ended = false;

    int msgBox(const std::string& text, int style,
               const std::optional<std::string>& title) override {
        boxes.push_back({text, style, title});
        if (answers.empty()) {
            // A box nobody expected: OK for an OK box, else a test error.
            if (style == mb::kOkQuestion) return 1;
            throw std::logic_error("unexpected message box: " + text);
        }
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    std::string inputBox(const std::string& prompt, const std::string& title) override {
        inputBoxes.push_back({prompt, title});
        if (inputs.empty()) throw std::logic_error("unexpected input box: " + prompt);
        std::string s = inputs.front();
        inputs.pop_front();
        return s;
    }
    void doEvents() override {
        ++doEventsCalls;
        if (onDoEvents) onDoEvents();
    }
    [[noreturn]] void endProgram() override {
        ended = true;
        throw ProgramEnded{};
    }
};

class ScriptedForm : public MainForm {
public:
    struct Entry {
        std::string text;
        bool selected = false;
    };
    std::string caption = "&OK";
    std::string buscar;
    std::string reemplazar;
    int opcion = 1;  // the selected OptTipo
    std::vector<Entry> list;
    std::string dir;
    std::string detalle = "...";
    std::vector<std::string> detalleHistory;  // every caption set
    std::vector<std::string> repainted;       // the caption at each repaint

    std::string cmdOkCaption() const override { return caption; }
    void setCmdOkCaption(const std::string& c) override { caption = c; }
    std::string txtBuscar() const override { return buscar; }
    std::string txtReemplazar() const override { return reemplazar; }
    bool optTipo(int index) const override { return opcion == index; }
    int listCount() const override { return static_cast<int>(list.size()); }
    std::string listText(int i) const override { return at(i).text; }
    bool listSelected(int i) const override { return at(i).selected; }
    void setListSelected(int i, bool s) override { at(i).selected = s; }
    std::string dirPath() const override { return dir; }
    void setDetalle(const std::string& c) override {
        detalle = c;
        detalleHistory.push_back(c);
    }
    void refreshDetalle() override { repainted.push_back(detalle); }

    void add(std::string text, bool selected = false) {
        list.push_back({std::move(text), selected});
    }
    std::vector<bool> marks() const {
        std::vector<bool> m;
        for (const auto& e : list) m.push_back(e.selected);
        return m;
    }

private:
    const Entry& at(int i) const {
        if (i < 0 || i >= listCount()) throw Failure(err::kInvalidPropertyIndex);
        return list[static_cast<std::size_t>(i)];
    }
    Entry& at(int i) {
        if (i < 0 || i >= listCount()) throw Failure(err::kInvalidPropertyIndex);
        return list[static_cast<std::size_t>(i)];
    }
};

}  // namespace morvane::testing

// A window for the benchmarks where the window is not what is measured: the
// controls as plain values, every confirmation answered Yes, and the status
// line kept as its last caption only (no history), so that memory and time
// belong to the operation. A failure box is counted and passed over, and the
// driver reports it as an error.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/toolkit.h"

namespace morvane::bench {

class BenchToolkit : public Toolkit {
  public:
    int failureBoxes = 0;

    int msgBox(const std::string& text, int style, const std::optional<std::string>&) override {
        if (style == mb::kAbortRetryIgnoreCritical) {
            ++failureBoxes;
            std::fprintf(stderr, "failure box: %s\n", text.c_str());
            return mb::kIgnore;
        }
        return style == mb::kYesNoQuestion ? mb::kYes : 1;
    }
    std::string inputBox(const std::string&, const std::string&) override { return {}; }
    void doEvents() override {}
    [[noreturn]] void endProgram() override { throw ProgramEnded{}; }
};

class BenchForm : public MainForm {
  public:
    struct Entry {
        std::string text;
        bool selected = false;
    };
    std::string caption = "&OK";
    std::string buscar;
    std::string reemplazar;
    int opcion = 1;
    std::vector<Entry> list;
    std::string dir;
    std::string detalle = "...";
    long repaints = 0;

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
    void setDetalle(const std::string& c) override { detalle = c; }
    void refreshDetalle() override { ++repaints; }

    int marked() const {
        int n = 0;
        for (const auto& e : list) n += e.selected ? 1 : 0;
        return n;
    }

  private:
    Entry& at(int i) const {
        if (i < 0 || i >= listCount()) throw Failure(err::kInvalidPropertyIndex);
        return const_cast<Entry&>(list[static_cast<std::size_t>(i)]);
    }
};

}  // namespace morvane::bench

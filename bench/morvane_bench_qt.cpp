// The benchmark driver for what the window itself costs: the real Form1,
// shown (offscreen under QT_QPA_PLATFORM=offscreen), over the host file
// services with the data folder mapped to drive C:. Confirmations are answered
// Yes by a scripted toolkit; every control is the real widget.
//
//   morvane_bench_qt listing FOLDER         opening FOLDER in the folder list,
//                                           and Dir1_Change on it, timed
//   morvane_bench_qt rewrite FILE TEXT NEW
//                                           search and replace in FILE with
//                                           the real status line, timed
//   morvane_bench_qt rewrite-all FOLDER TEXT NEW
//                                           the same over every project
//                                           file listed in FOLDER
//
// Prints what was done on stdout and the times on stderr.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "app/folder_list.h"
#include "app/form1.h"
#include "bench/bench_window.h"
#include "platform/drives.h"
#include "platform/host_components.h"
#include "platform/host_files.h"
#include "platform/processes/host_processes.h"
#include "platform/services.h"
#include "run/controller.h"

namespace fs = std::filesystem;
using namespace morvane;
using Clock = std::chrono::steady_clock;

namespace {

long long nsBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(b - a).count();
}

// CPU time of the process: what a call costs, apart from the time the
// shared machine gives to other processes meanwhile.
long long cpuNs() {
    return static_cast<long long>(std::clock()) * (1000000000LL / CLOCKS_PER_SEC);
}

// What one read of the CPU clock costs (a system call here): each timed call
// above includes about one read's cost besides its own.
long long clockReadNs() {
    constexpr int kReads = 20000;
    const auto t0 = Clock::now();
    long long sink = 0;
    for (int i = 0; i < kReads; ++i) sink += cpuNs();
    const auto t1 = Clock::now();
    return sink == 1 ? 0 : nsBetween(t0, t1) / kReads;
}

struct Window {
    DriveTable drives;
    HostFileServices files{drives};
    HostComponents components{drives};
    HostProcesses processes;
    bench::BenchToolkit toolkit;
    Form1* form;
    Services sv;

    explicit Window(const fs::path& folder)
        : form(makeForm(drives, folder)), sv{files, components, processes, toolkit, *form} {
        form->setServices(sv);
        form->Form_Load();
        form->show();
        QApplication::processEvents();
    }
    ~Window() { delete form; }

    static Form1* makeForm(DriveTable& drives, const fs::path& folder) {
        drives.map('c', folder);
        drives.setStartDrive('c');
        return new Form1(drives);
    }
};

// Opens the folder from its parent as the user does (the folder list moves
// there and its change runs Dir1_Change), then times Dir1_Change on its own.
int listing(const fs::path& folder) {
    Window w(folder.parent_path());
    const auto t0 = Clock::now();
    w.form->Dir1->setPath("C:\\" + folder.filename().string());
    const auto t1 = Clock::now();
    QApplication::processEvents();
    const int opened = w.form->listCount();

    const auto t2 = Clock::now();
    const long long c2 = cpuNs();
    w.form->Dir1_Change();
    const long long c3 = cpuNs();
    const auto t3 = Clock::now();
    QApplication::processEvents();  // the list painted with its new entries
    const auto t4 = Clock::now();
    std::printf("listed=%d opened=%d\n", w.form->listCount(), opened);
    std::fprintf(stderr, "run_ns=%lld painted_ns=%lld open_ns=%lld cpu_ns=%lld\n",
                 nsBetween(t2, t3), nsBetween(t2, t4), nsBetween(t0, t1), c3 - c2);
    return opened == w.form->listCount() ? 0 : 2;
}

// Forwards to the real window and adds up the time spent in the status
// line's two calls, to tell what the status line costs per line.
class TimedStatus : public MainForm {
  public:
    explicit TimedStatus(MainForm& inner) : inner_(inner) {}
    long long setNs = 0, repaintNs = 0, cpuNsTotal = 0;
    long calls = 0;

    std::string cmdOkCaption() const override { return inner_.cmdOkCaption(); }
    void setCmdOkCaption(const std::string& c) override { inner_.setCmdOkCaption(c); }
    std::string txtBuscar() const override { return inner_.txtBuscar(); }
    std::string txtReemplazar() const override { return inner_.txtReemplazar(); }
    bool optTipo(int index) const override { return inner_.optTipo(index); }
    int listCount() const override { return inner_.listCount(); }
    std::string listText(int i) const override { return inner_.listText(i); }
    bool listSelected(int i) const override { return inner_.listSelected(i); }
    void setListSelected(int i, bool s) override { inner_.setListSelected(i, s); }
    std::string dirPath() const override { return inner_.dirPath(); }
    void setDetalle(const std::string& c) override {
        const auto t0 = Clock::now();
        const long long c0 = cpuNs();
        inner_.setDetalle(c);
        cpuNsTotal += cpuNs() - c0;
        setNs += nsBetween(t0, Clock::now());
    }
    void refreshDetalle() override {
        const auto t0 = Clock::now();
        const long long c0 = cpuNs();
        inner_.refreshDetalle();
        cpuNsTotal += cpuNs() - c0;
        repaintNs += nsBetween(t0, Clock::now());
        ++calls;
    }

  private:
    MainForm& inner_;
};

// Search and replace through CmdOK_Click in FOLDER, over the one project file
// `only` names, or over every listed one when it names none.
int rewrite(const fs::path& folder, const std::string& only, const std::string& text,
            const std::string& replacement) {
    Window w(folder);
    w.form->Dir1_Change();
    const std::string entry = "C:\\" + only;
    int marked = 0;
    for (int i = 0; i < w.form->listCount(); ++i) {
        const bool it = only.empty() || w.form->listText(i) == entry;
        w.form->setListSelected(i, it);
        marked += it ? 1 : 0;
    }
    w.form->TxtBuscar->setText(QString::fromStdString(text));
    w.form->TxtReemplazar->setText(QString::fromStdString(replacement));
    w.form->OptTipo[1]->setChecked(true);
    QApplication::processEvents();

    TimedStatus timed(*w.form);
    Services sv{w.files, w.components, w.processes, w.toolkit, timed};
    const auto t0 = Clock::now();
    CmdOK_Click(sv);
    const auto t1 = Clock::now();
    std::printf("marked=%d repaints=%ld\n", marked, timed.calls);
    std::fprintf(stderr,
                 "run_ns=%lld set_ns=%lld repaint_ns=%lld status_cpu_ns=%lld clock_read_ns=%lld\n",
                 nsBetween(t0, t1), timed.setNs, timed.repaintNs, timed.cpuNsTotal, clockReadNs());
    const bool expected = only.empty() ? marked > 0 : marked == 1;
    return w.toolkit.failureBoxes == 0 && expected ? 0 : 2;
}

int usage() {
    std::fprintf(stderr,
                 "usage: morvane_bench_qt listing FOLDER\n"
                 "       morvane_bench_qt rewrite FILE TEXT NEW\n"
                 "       morvane_bench_qt rewrite-all FOLDER TEXT NEW\n");
    return 64;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "listing") return listing(fs::absolute(args[1]));
    if (args.size() == 4 && args[0] == "rewrite") {
        const fs::path file = fs::absolute(args[1]);
        return rewrite(file.parent_path(), file.filename().string(), args[2], args[3]);
    }
    if (args.size() == 4 && args[0] == "rewrite-all")
        return rewrite(fs::absolute(args[1]), std::string(), args[2], args[3]);
    return usage();
}

// The benchmark driver: runs one batch operation through the program's own
// code (the host file services and text component over a drive table, the
// step engine, CmdOK_Click) with a window that answers Yes and keeps no
// history. The folder of the data is mapped to drive C:, so the run sees
// paths such as C:\Proyecto_00001.vbp.
//
//   morvane_bench search FOLDER TEXT      search every *.vbp of FOLDER
//   morvane_bench rewrite FILE TEXT NEW   search and replace in one project file
//   morvane_bench rewrite-all FOLDER TEXT NEW
//                                         the same in every *.vbp of FOLDER
//
// Prints what the run did on stdout (for the comparison script to check) and
// the wall-clock and CPU time of CmdOK_Click on stderr. Exit status 2 when a failure box came up.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_window.h"
#include "platform/case_key.h"
#include "platform/drives.h"
#include "platform/host_components.h"
#include "platform/host_files.h"
#include "platform/processes/host_processes.h"
#include "platform/services.h"
#include "run/controller.h"

namespace fs = std::filesystem;
using namespace morvane;

namespace {

struct Host {
    DriveTable drives;
    HostFileServices files{drives};
    HostComponents components{drives};
    HostProcesses processes;
    bench::BenchToolkit toolkit;
    bench::BenchForm form;
    Services sv{files, components, processes, toolkit, form};

    explicit Host(const fs::path& folder) {
        drives.map('c', folder);
        drives.setStartDrive('c');
        form.dir = "C:\\";
    }
};

// The project list as the folder browsing fills it: the platform's listing of
// *.vbp, each name after the folder prefix, sorted without regard to case.
void fillList(Host& h) {
    std::vector<std::string> entries;
    for (std::string name = h.files.dir("C:\\*.vbp", attr::kNormal); !name.empty();
         name = h.files.dirNext()) {
        entries.push_back("C:\\" + name);
    }
    std::stable_sort(
        entries.begin(), entries.end(),
        [](const std::string& a, const std::string& b) { return caseKeys(a) < caseKeys(b); });
    for (auto& e : entries) h.form.list.push_back({std::move(e), false});
}

// CPU time of this process so far, user and system.
long long cpuNanoseconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

// Presses CmdOK and prints its wall-clock and CPU time on stderr.
void timedPress(Host& h) {
    const long long cpu0 = cpuNanoseconds();
    const auto t0 = std::chrono::steady_clock::now();
    CmdOK_Click(h.sv);
    const auto t1 = std::chrono::steady_clock::now();
    const long long cpu1 = cpuNanoseconds();
    std::fprintf(stderr, "run_ns=%lld run_cpu_ns=%lld\n",
                 static_cast<long long>(
                     std::chrono::duration_cast<std::chrono::nanoseconds>(t1 - t0).count()),
                 cpu1 - cpu0);
}

int search(const fs::path& folder, const std::string& text) {
    Host h(folder);
    fillList(h);
    h.form.opcion = 3;
    h.form.buscar = text;
    timedPress(h);
    std::printf("listed=%d marked=%d\n", h.form.listCount(), h.form.marked());
    return h.toolkit.failureBoxes == 0 ? 0 : 2;
}

int rewrite(const fs::path& file, const std::string& text, const std::string& replacement) {
    Host h(file.parent_path());
    h.form.list.push_back({"C:\\" + file.filename().string(), true});
    h.form.opcion = 1;
    h.form.buscar = text;
    h.form.reemplazar = replacement;
    timedPress(h);
    std::printf("repaints=%ld\n", h.form.repaints);
    return h.toolkit.failureBoxes == 0 ? 0 : 2;
}

int rewriteAll(const fs::path& folder, const std::string& text, const std::string& replacement) {
    Host h(folder);
    fillList(h);
    for (auto& entry : h.form.list) entry.selected = true;
    h.form.opcion = 1;
    h.form.buscar = text;
    h.form.reemplazar = replacement;
    timedPress(h);
    std::printf("marked=%d repaints=%ld\n", h.form.marked(), h.form.repaints);
    return h.toolkit.failureBoxes == 0 ? 0 : 2;
}

int usage() {
    std::fprintf(stderr,
                 "usage: morvane_bench search FOLDER TEXT\n"
                 "       morvane_bench rewrite FILE TEXT NEW\n"
                 "       morvane_bench rewrite-all FOLDER TEXT NEW\n");
    return 64;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "search") return search(fs::absolute(args[1]), args[2]);
    if (args.size() == 4 && args[0] == "rewrite")
        return rewrite(fs::absolute(args[1]), args[2], args[3]);
    if (args.size() == 4 && args[0] == "rewrite-all")
        return rewriteAll(fs::absolute(args[1]), args[2], args[3]);
    return usage();
}

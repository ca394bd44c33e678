#!/usr/bin/env python3
"""Runs each benchmark side by side with what a user would reach for instead.

Every figure is a ratio of medians: the two commands of a pair run
alternately (A B A B ...), at least five times each, on the same generated
files, in a temporary folder that is deleted after each benchmark. The tools
compared against run with LC_ALL=C, their fastest setting.

Usage: compare.py --build BUILD_DIR [--runs N] [--only search,listing,...]
                  [--out FILE.md] [--tmp DIR]
"""

import argparse
import os
import re
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
GEN = os.path.join(HERE, "gen_data.py")
ABSENT_TEXT = "QZXJ_AUSENTE_7731"
END_MARKER = "MARCA_FINAL_7731"
KB, MB = 1024, 1024 * 1024
TOOLS_ENV = dict(os.environ, LC_ALL="C")
QT_ENV = dict(os.environ, QT_QPA_PLATFORM="offscreen")
QT_ENV["XDG_RUNTIME_DIR"] = tempfile.mkdtemp(prefix="morvane-bench-xdg-")  # private, 0700


def log(*args):
    print(*args, file=sys.stderr, flush=True)


def remove(path):
    """Deletes generated data; rm is quicker than Python on 100,000 files."""
    subprocess.run(["rm", "-rf", path], check=True)


def generate(*args):
    subprocess.run([sys.executable, GEN, *map(str, args)], check=True,
                   stdout=subprocess.DEVNULL)


class Run:
    """One timed process: wall time in ns, its output, and the key=value figures it printed."""

    def __init__(self, cmd, env=None, stdout_file=None, ok=(0,), setup=None, cwd=None):
        if setup:
            setup()
        out = open(stdout_file, "wb") if stdout_file else subprocess.PIPE
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        t0 = time.monotonic_ns()
        p = subprocess.run(cmd, env=env, stdout=out, stderr=subprocess.PIPE, cwd=cwd)
        t1 = time.monotonic_ns()
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        if stdout_file:
            out.close()
        if p.returncode not in ok:
            sys.exit(f"{cmd[0]} failed ({p.returncode}): {p.stderr.decode(errors='replace')}")
        self.start_ns = t0
        self.wall_ns = t1 - t0
        # User and system time of the whole process (the children are waited
        # for one at a time, so the difference is this one's).
        self.cpu_ns = round((after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime) * 1e9)
        self.stdout = p.stdout.decode(errors="replace") if p.stdout else ""
        text = self.stdout + p.stderr.decode(errors="replace")
        self.figures = {k: int(v) for k, v in re.findall(r"(\w+)=(\d+)", text)}


def alternate(a, b, runs):
    """Runs the two makers of a Run alternately, after one untimed run of
    each (caches warm, libraries loaded); the lists of their timed runs."""
    a()
    b()
    ra, rb = [], []
    for _ in range(runs):
        ra.append(a())
        rb.append(b())
    return ra, rb


def median(values):
    return statistics.median(values)


def ms(ns):
    return f"{ns / 1e6:.1f} ms"


class Table:
    def __init__(self):
        self.rows = []

    def add(self, number, what, ours, theirs, ratio, target, runs, ok):
        # Rows without a target of their own are figures to report.
        verdict = "" if target in ("report", "trial") else "met" if ok else "missed"
        what = what.replace("|", "\\|")  # a pipe inside a cell ends the cell
        self.rows.append(f"| {number} | {what} | {ours} | {theirs} | {ratio} | {target} | {runs} | {verdict} |")
        log(self.rows[-1])

    def markdown(self):
        head = ("| # | Measure | Morvane (median) | Compared with (median) | Ratio | Target | Runs | |\n"
                "|---|---|---|---|---|---|---|---|")
        return "\n".join([head, *self.rows])


def load_average():
    return f"{os.getloadavg()[0]:.1f}"


def bench_search(args, table, tmp):
    folder = os.path.join(tmp, "search")
    generate("search", folder)
    files = sorted(os.path.join(folder, f) for f in os.listdir(folder))
    total = sum(os.path.getsize(f) for f in files)
    driver = os.path.join(args.build, "bench", "morvane_bench")
    load_before = load_average()
    for label, text, expected in (("absent text", ABSENT_TEXT, 0),
                                  ("text at each file's end", END_MARKER, len(files))):
        ours, grep = alternate(
            lambda: Run([driver, "search", folder, text]),
            lambda: Run(["grep", "-F", "-i", "-l", text, *files], env=TOOLS_ENV, ok=(0, 1)),
            args.runs)
        for r in ours:
            if r.figures.get("marked") != expected:
                sys.exit(f"search for {text}: {r.stdout}")
        if len(grep[0].stdout.splitlines()) != expected:
            sys.exit(f"grep for {text} found {len(grep[0].stdout.splitlines())} files")
        # The search is CmdOK_Click with the list filled; the driver's own
        # start and listing are shown apart. Each run of ours is also set
        # against the grep run beside it: the worst of those pairs is the
        # "never above" of the target.
        a, b = median(r.figures["run_ns"] for r in ours), median(r.wall_ns for r in grep)
        worst = max(o.figures["run_ns"] / g.wall_ns for o, g in zip(ours, grep))
        table.add("1", f"Search, {len(files)} files, {total / MB:.0f} MB, {label}: `CmdOK_Click` vs "
                  f"`grep -F -i -l` (whole process); worst pair {worst:.2f}", ms(a), ms(b), f"{a / b:.2f}",
                  "≤ 0.8, no pair > 1.0", args.runs, a / b <= 0.8 and worst <= 1.0)
        if all("run_cpu_ns" in r.figures for r in ours):
            c, d = median(r.figures["run_cpu_ns"] for r in ours), median(r.cpu_ns for r in grep)
            table.add("1", f"Search, {label}: CPU time of `CmdOK_Click` vs CPU time of grep's process",
                      ms(c), ms(d), f"{c / d:.2f}", "report", args.runs, True)
        w = median(r.wall_ns for r in ours)
        table.add("1", f"Search, {label}: the driver's whole process (start, listing, run) vs the same",
                  ms(w), ms(b), f"{w / b:.2f}", "report", args.runs, True)
        a, b = median(r.cpu_ns for r in ours), median(r.cpu_ns for r in grep)
        table.add("1", f"Search, {label}: CPU time of the driver's whole process vs grep's", ms(a), ms(b),
                  f"{a / b:.2f}", "report", args.runs, True)
    ours, cat = alternate(
        lambda: Run([driver, "search", folder, ABSENT_TEXT]),
        lambda: Run(["cat", *files], stdout_file=os.devnull),
        args.runs)
    a, b = median(r.figures["run_ns"] for r in ours), median(r.wall_ns for r in cat)
    table.add("1", "Search, absent text: `CmdOK_Click` vs `cat` of the same files into /dev/null",
              ms(a), ms(b), f"{a / b:.2f}", "report", args.runs, True)
    table.add("1", "Search: load average (1 min) of the machine at the start and at the end", load_before,
              load_average(), "", "report", args.runs, True)
    remove(folder)


def bench_listing(args, table, tmp):
    driver = os.path.join(args.build, "bench", "morvane_bench_qt")
    sizes = {}
    for projects, others in ((32767, 100000), (8192, 25000)):
        folder = os.path.join(tmp, f"listing{projects}")
        generate("listing", folder, "--projects", projects, "--others", others)
        sizes[projects] = folder
    big = sizes[32767]
    find = ["sh", "-c", f"find '{big}' -maxdepth 1 -type f -iname '*.vbp' | sort -f"]
    ours, theirs = alternate(lambda: Run([driver, "listing", big], env=QT_ENV),
                             lambda: Run(find, env=TOOLS_ENV), args.runs)
    for r in ours:
        if r.figures.get("listed") != 32767:
            sys.exit(f"listing: {r.stdout}")
    if len(theirs[0].stdout.splitlines()) != 32767:
        sys.exit("find found another number of project files")
    a, b = median(r.figures["run_ns"] for r in ours), median(r.wall_ns for r in theirs)
    table.add("2", "Listing, 32,767 .vbp among 100,000 files: `Dir1_Change` fills `List1` vs "
              "`find -iname '*.vbp' | sort -f`", ms(a), ms(b), f"{a / b:.2f}", "≤ 3", args.runs, a / b <= 3)
    painted = median(r.figures["painted_ns"] for r in ours)
    table.add("2", "Listing, the same, until the filled list has been painted", ms(painted), ms(b),
              f"{painted / b:.2f}", "report", args.runs, True)
    opened = median(r.figures["open_ns"] for r in ours)
    table.add("2", "Listing, opening the folder in `Dir1` as the user does (the folder list shows its "
              "sub-folders, then `Dir1_Change`)", ms(opened), ms(b), f"{opened / b:.2f}", "report",
              args.runs, True)
    large, small = alternate(lambda: Run([driver, "listing", big], env=QT_ENV),
                             lambda: Run([driver, "listing", sizes[8192]], env=QT_ENV), args.runs)
    # CPU time: how the work grows, apart from the share of the machine
    # that other processes take while a longer run is going.
    a, b = median(r.figures["cpu_ns"] for r in large), median(r.figures["cpu_ns"] for r in small)
    table.add("2", "Listing scales: `Dir1_Change` on 32,767 vs on 8,192 project files (4 × the files), "
              "CPU time", ms(a), ms(b), f"{a / b:.2f}", "≤ 5", args.runs, a / b <= 5)
    a, b = median(r.figures["run_ns"] for r in large), median(r.figures["run_ns"] for r in small)
    table.add("2", "Listing scales, the same in wall-clock time", ms(a), ms(b), f"{a / b:.2f}", "report",
              args.runs, True)
    for folder in sizes.values():
        remove(folder)


def bench_rewrite(args, table, tmp):
    folder = os.path.join(tmp, "rewrite")
    generate("rewrite", folder)
    project = os.path.join(folder, "Reescribir.vbp")
    original = os.path.join(tmp, "original.vbp")
    shutil.move(project, original)
    size = os.path.getsize(original)
    lines = 400000
    sed_out = os.path.join(folder, "sed.out")

    def fresh_copy():
        # Each rewrite starts from the same content, with no earlier backup.
        for name in ("Reescribir.OLD", "Reescribir.NVO"):
            if os.path.exists(os.path.join(folder, name)):
                os.remove(os.path.join(folder, name))
        shutil.copyfile(original, project)

    driver = os.path.join(args.build, "bench", "morvane_bench")
    ours, sed = alternate(
        lambda: Run([driver, "rewrite", project, "comun", "Base"], setup=fresh_copy),
        lambda: Run(["sed", "s/comun/Base/gI", original], env=TOOLS_ENV, stdout_file=sed_out),
        args.runs)
    with open(project, "rb") as f1, open(sed_out, "rb") as f2:
        if f1.read() != f2.read():
            sys.exit("the rewrite and sed wrote different files")
    a, b = median(r.wall_ns for r in ours), median(r.wall_ns for r in sed)
    table.add("3", f"Rewrite, {size / MB:.0f} MB, {lines:,} lines, no status line: vs "
              "`sed 's/comun/Base/gI'` writing the same bytes", ms(a), ms(b), f"{a / b:.2f}", "≤ 1.5",
              args.runs, a / b <= 1.5)

    remove(folder)
    os.remove(original)


def bench_status_line(args, table, tmp):
    """The status line's cost per line, on a tenth of the rewrite's file: the
    cost is per line, whatever the file's length."""
    qt_driver = os.path.join(args.build, "bench", "morvane_bench_qt")
    if not os.path.exists(qt_driver):
        log("no morvane_bench_qt: the status line is not measured")
        return
    folder = os.path.join(tmp, "status")
    lines = 40000
    generate("rewrite", folder, "--lines", lines, "--size", 2 * MB)
    project = os.path.join(folder, "Reescribir.vbp")
    original = os.path.join(tmp, "status.original")
    shutil.copyfile(project, original)

    def fresh_copy():
        old = os.path.join(folder, "Reescribir.OLD")
        if os.path.exists(old):
            os.remove(old)
        shutil.copyfile(original, project)

    driver = os.path.join(args.build, "bench", "morvane_bench")
    plain, shown = alternate(
        lambda: Run([driver, "rewrite", project, "comun", "Base"], setup=fresh_copy),
        lambda: Run([qt_driver, "rewrite", project, "comun", "Base"], env=QT_ENV, setup=fresh_copy),
        args.runs)
    for r in shown:
        if r.figures.get("repaints") != lines + 1:
            sys.exit(f"status line: {r.stdout}")
    us = lambda ns: ns / lines / 1000  # noqa: E731
    a = median(r.figures["run_ns"] for r in shown)
    b = median(r.figures["run_ns"] for r in plain)
    cpu = median(r.figures["status_cpu_ns"] for r in shown)
    set_ns = median(r.figures["set_ns"] for r in shown)
    paint_ns = median(r.figures["repaint_ns"] for r in shown)
    table.add("3", "Rewrite with the real status line (offscreen), cost per line: CPU time of "
              "`setDetalle` + `refreshDetalle`", f"{us(cpu):.1f} µs/line CPU",
              f"whole line {us(b):.2f} µs without status", f"{us(cpu):.1f} µs", "≤ 20 µs/line",
              args.runs, us(cpu) <= 20)
    reads = median(r.figures["clock_read_ns"] for r in shown) * 2 * (lines + 1)
    table.add("3", "Status line CPU time as above, less the benchmark's own two reads of the CPU clock "
              f"per line ({median(r.figures['clock_read_ns'] for r in shown) / 1000:.2f} µs each)",
              f"{us(cpu - reads):.1f} µs/line CPU", f"{us(cpu):.1f} µs/line with them", "", "report",
              args.runs, True)
    table.add("3", f"Rewrite with the real status line, wall clock on the shared machine (setting "
              f"{us(set_ns):.1f} µs, repainting {us(paint_ns):.1f} µs)", f"{us(a):.1f} µs/line",
              f"{us(b):.2f} µs/line without", f"+{us(a - b):.1f} µs", "report", args.runs, True)
    remove(folder)
    os.remove(original)


def project_set(tmp, name, count, others):
    """A folder of `count` generated project files (and `others` other files),
    the originals kept apart, and what `sed 's/comun/Base/gI'` makes of each."""
    folder = os.path.join(tmp, name)
    generate("projects", folder, "--count", count, "--others", others)
    projects = sorted(f for f in os.listdir(folder) if f.endswith(".vbp"))
    originals = {}
    for f in projects:
        with open(os.path.join(folder, f), "rb") as src:
            originals[f] = src.read()
    expected = {f: re.sub(rb"comun", b"Base", data, flags=re.IGNORECASE) for f, data in originals.items()}

    def restore():
        # Each run starts from the same content, with no earlier backup.
        for f, data in originals.items():
            old = os.path.join(folder, f[:-4] + ".OLD")
            if os.path.exists(old):
                os.remove(old)
            with open(os.path.join(folder, f), "wb") as out:
                out.write(data)

    def check(side):
        for f, data in expected.items():
            with open(os.path.join(folder, f), "rb") as got:
                if got.read() != data:
                    sys.exit(f"{side}: {f} is not what sed makes of it")
        stray = [f for f in os.listdir(folder) if f.endswith(".NVO")]
        if stray:
            sys.exit(f"{side}: temporary files left: {stray[:3]}")

    return folder, [os.path.join(folder, f) for f in projects], restore, check


def bench_folder_rewrite(args, table, tmp):
    """Rewriting many projects in a folder of many other files against the
    same projects in a folder of only them: what the folder's size adds."""
    qt_driver = os.path.join(args.build, "bench", "morvane_bench_qt")
    count, others = 1000, 100000
    big, files, restore_big, check_big = project_set(tmp, "folder_big", count, others)
    small, _, restore_small, check_small = project_set(tmp, "folder_small", count, 0)
    size = sum(os.path.getsize(f) for f in files)

    def ours(folder, restore):
        r = Run([qt_driver, "rewrite-all", folder, "comun", "Base"], env=QT_ENV, setup=restore)
        if r.figures.get("marked") != count:
            sys.exit(f"rewrite-all in {folder}: {r.stdout}")
        return r

    large, alone = alternate(lambda: ours(big, restore_big), lambda: ours(small, restore_small), args.runs)
    check_big("the rewrite among the others")
    check_small("the rewrite alone")
    a, b = median(r.figures["run_ns"] for r in large), median(r.figures["run_ns"] for r in alone)
    table.add("6", f"Rewrite of {count:,} marked projects ({size / KB:.0f} KB, real sizes) among {others:,} "
              "other files vs the same alone: `CmdOK_Click` with the status line", ms(a), ms(b),
              f"{a / b:.2f}", "≤ 1.5", args.runs, a / b <= 1.5)
    table.add("6", f"Rewrite in the folder of {count + others:,} files, per project", ms(a / count),
              ms(b / count), "", "report", args.runs, True)
    remove(big)
    remove(small)


def bench_projects_vs_sed(args, table, tmp):
    """Search and replace over project files of real sizes, through the
    window, against sed -i and a sync of the same files."""
    qt_driver = os.path.join(args.build, "bench", "morvane_bench_qt")
    count = 500
    folder, files, restore, check = project_set(tmp, "projects", count, 0)
    size = sum(os.path.getsize(f) for f in files)
    # sed -i writes each file anew and renames it over the old one; sync then
    # puts each file on disk, as Morvane does before each file takes its name.
    sed = ["sh", "-c", 'sed -i "s/comun/Base/gI" "$@" && sync -- "$@"', "sed-sync", *files]

    def ours():
        r = Run([qt_driver, "rewrite-all", folder, "comun", "Base"], env=QT_ENV, setup=restore)
        if r.figures.get("marked") != count:
            sys.exit(f"rewrite-all: {r.stdout}")
        return r

    mine, theirs = alternate(ours, lambda: Run(sed, env=TOOLS_ENV, setup=restore), args.runs)
    check("sed -i")
    ours()
    check("the rewrite")
    a, b = median(r.figures["run_ns"] for r in mine), median(r.wall_ns for r in theirs)
    table.add("7", f"Search and replace over {count} project files ({size / KB:.0f} KB, real sizes): "
              "`CmdOK_Click` with the status line vs `sed -i` then `sync` of the files", ms(a), ms(b),
              f"{a / b:.2f}", "≤ 1.5", args.runs, a / b <= 1.5)
    w = median(r.wall_ns for r in mine)
    table.add("7", "Search and replace over the same: the window driver's whole process vs the same", ms(w),
              ms(b), f"{w / b:.2f}", "report", args.runs, True)
    c = median(r.figures["status_cpu_ns"] for r in mine)
    table.add("7", "Search and replace over the same: CPU time of the status line alone (`setDetalle` + "
              f"`refreshDetalle`, {int(median(r.figures['repaints'] for r in mine)):,} repaints) vs sed and sync",
              ms(c), ms(b), f"{c / b:.2f}", "report", args.runs, True)
    # The file work alone: the same press without the window's status line.
    plain_driver = os.path.join(args.build, "bench", "morvane_bench")
    plain, theirs = alternate(
        lambda: Run([plain_driver, "rewrite-all", folder, "comun", "Base"], setup=restore),
        lambda: Run(sed, env=TOOLS_ENV, setup=restore), args.runs)
    check("the rewrite without the status line")
    a, b = median(r.figures["run_ns"] for r in plain), median(r.wall_ns for r in theirs)
    table.add("7", "Search and replace over the same without the status line (`morvane_bench`): "
              "`CmdOK_Click` vs `sed -i` then `sync`", ms(a), ms(b), f"{a / b:.2f}", "report", args.runs, True)
    remove(folder)


def peak_kb(cmd, env=None, setup=None):
    """Peak resident memory of a command, from GNU time."""
    if setup:
        setup()
    p = subprocess.run(["/usr/bin/time", "-f", "peak_kb=%M", *cmd], env=env,
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if p.returncode != 0:
        sys.exit(f"{cmd[0]} failed: {p.stderr.decode(errors='replace')}")
    return int(re.findall(r"peak_kb=(\d+)", p.stderr.decode())[-1])


def bench_memory(args, table, tmp):
    folder = os.path.join(tmp, "big")
    generate("big", folder, "--size", 512 * MB)
    project = os.path.join(folder, "Grande.vbp")
    original = os.path.join(tmp, "grande.original")
    shutil.copyfile(project, original)
    size = os.path.getsize(project)
    driver = os.path.join(args.build, "bench", "morvane_bench")
    runs = max(3, args.runs // 2)
    # The idle program: the same driver and the same search over a folder
    # whose only project file is empty, so that only the reading differs.
    idle_folder = os.path.join(tmp, "idle")
    os.makedirs(idle_folder)
    open(os.path.join(idle_folder, "Vacio.vbp"), "wb").close()
    idle = max(peak_kb([driver, "search", idle_folder, ABSENT_TEXT]) for _ in range(runs)) * KB
    search = max(peak_kb([driver, "search", folder, ABSENT_TEXT]) for _ in range(runs)) * KB
    table.add("4", f"Memory, search of one {size / MB:.0f} MB file: peak resident vs the idle program's "
              "(the same search of one empty file)", f"{search / MB:.1f} MB", f"{idle / MB:.1f} MB",
              f"+{(search - idle) / MB:.1f} MB", "≤ idle + 16 MB", runs, search - idle <= 16 * MB)
    remove(idle_folder)

    def fresh_copy():
        old = os.path.join(folder, "Grande.OLD")
        if os.path.exists(old):
            os.remove(old)
        shutil.copyfile(original, project)

    rewrite = max(peak_kb([driver, "rewrite", project, "comun", "Base"], setup=fresh_copy)
                  for _ in range(runs)) * KB
    table.add("4", f"Memory, rewrite of the same {size / MB:.0f} MB file: peak resident",
              f"{rewrite / MB:.1f} MB", "limit 64 MB", "", "< 64 MB", runs, rewrite < 64 * MB)
    remove(folder)
    os.remove(original)


def bench_startup(args, table, tmp):
    hook = os.path.join(args.build, "bench", "libfirst_paint_hook.so")
    program = os.path.join(args.build, "src", "app", "morvane")
    minimal = os.path.join(args.build, "bench", "minimal_qt")
    if not os.path.exists(program):
        log("no program built: the start-up is not measured")
        return
    env = dict(QT_ENV, LD_PRELOAD=hook)
    empty = tempfile.mkdtemp(dir=tmp)  # the program lists nothing at start anyway

    def first_paint(cmd):
        r = Run(cmd, env=env, cwd=empty)
        if "first_paint_ns" not in r.figures:
            sys.exit(f"{cmd[0]} ended without painting")
        return r.figures["first_paint_ns"] - r.start_ns, r.figures["first_paint_cpu_ns"]

    # The three programs take turns, so that each sees the same moments of a
    # busy machine.
    runs = max(args.runs, 15)
    programs = {"morvane": [program], "empty": [minimal], "label": [minimal, "--label"]}
    for cmd in programs.values():
        first_paint(cmd)
    times = {name: [] for name in programs}
    for _ in range(runs):
        for name, cmd in programs.items():
            times[name].append(first_paint(cmd))
    wall = {name: median(t[0] for t in ts) for name, ts in times.items()}
    cpu = {name: median(t[1] for t in ts) for name, ts in times.items()}
    a, b = wall["morvane"], wall["empty"]
    table.add("5", "Start-up, process start to the window's first paint (offscreen): "
              "vs a minimal Qt Widgets window", ms(a), ms(b), f"{a / b:.2f}", "≤ 1.5", runs, a / b <= 1.5)
    a, b = cpu["morvane"], cpu["empty"]
    table.add("5", "Start-up, the same in CPU time of the process", ms(a), ms(b), f"{a / b:.2f}", "report",
              runs, True)
    a, b = wall["morvane"], wall["label"]
    table.add("5", "Start-up, vs a minimal window showing one label (fonts loaded)", ms(a), ms(b),
              f"{a / b:.2f}", "report", runs, True)
    remove(empty)


BENCHES = {"search": bench_search, "listing": bench_listing, "rewrite": bench_rewrite,
           "status": bench_status_line, "memory": bench_memory, "startup": bench_startup,
           "folder": bench_folder_rewrite, "projects": bench_projects_vs_sed}


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--only", default=",".join(BENCHES))
    parser.add_argument("--out")
    parser.add_argument("--tmp", default=None, help="folder for the generated data")
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    if args.runs < 5:
        sys.exit("at least five runs of each side")

    table = Table()
    tmp = tempfile.mkdtemp(prefix="morvane-bench-", dir=args.tmp)
    try:
        for name in args.only.split(","):
            log(f"== {name}")
            BENCHES[name](args, table, tmp)
    finally:
        shutil.rmtree(tmp, ignore_errors=True)
        shutil.rmtree(QT_ENV["XDG_RUNTIME_DIR"], ignore_errors=True)
    print(table.markdown())
    if args.out:
        with open(args.out, "w") as f:
            f.write(table.markdown() + "\n")


if __name__ == "__main__":
    main()

// Micro-benchmarks of the inner loops that the batch operations spend their
// time in: the case-blind search of a whole content and of content in pieces,
// the line reader, and the replacement in one line.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "ops/replace.h"
#include "ops/search.h"
#include "platform/line_file.h"
#include "platform/posix_file.h"
#include "platform/text.h"

namespace {

// Project-file-like text: key=value lines with CR LF, deterministic.
std::string projectText(std::size_t size) {
    static const char* const kLines[] = {
        "Type=Exe",
        "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#..\\.."
        "\\WINDOWS\\system32\\stdole2.tlb#OLE Automation",
        "Form=frmPrincipal.frm",
        "Module=modGeneral; modGeneral.bas",
        "Class=clsConexion; clsConexion.cls",
        "Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; MSCOMCTL.OCX",
        "Startup=\"frmPrincipal\"",
        "ExeName32=\"Ventas.exe\"",
        "Name=\"Ventas\"",
        "CompilationType=0",
        "OptimizationType=0",
        "FavorPentiumPro(tm)=0",
    };
    std::mt19937 rng(7731);
    std::string s;
    s.reserve(size + 256);
    while (s.size() < size) {
        s += kLines[rng() % (sizeof kLines / sizeof *kLines)];
        s += "\r\n";
    }
    s.resize(size);
    return s;
}

void BM_findAnsiNoCase_absent(benchmark::State& state) {
    const std::string hay = projectText(static_cast<std::size_t>(state.range(0)));
    const std::string needle = state.range(1) == 0 ? "QZXJ_AUSENTE_7731" : "comun";
    for (auto _ : state) benchmark::DoNotOptimize(morvane::findAnsiNoCase(hay, needle));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_findAnsiNoCase_absent)->Args({20 << 20, 0})->Args({20 << 20, 1});

// A needle whose letters are all common in project files: the worst case of
// the anchored scan.
void BM_findAnsiNoCase_commonLetters(benchmark::State& state) {
    const std::string hay = projectText(20 << 20);
    for (auto _ : state) benchmark::DoNotOptimize(morvane::findAnsiNoCase(hay, "rmfrmx"));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * (20 << 20));
}
BENCHMARK(BM_findAnsiNoCase_commonLetters);

// The search as BuscaCadena runs it: the same 20 MB handed over in pieces of
// the size the file is read in, for an absent 17-byte text and an absent
// text longer than a piece.
void BM_AnsiNoCaseFinder_pieces(benchmark::State& state) {
    const std::string hay = projectText(20 << 20);
    const std::string needle = state.range(0) == 0
                                   ? std::string("QZXJ_AUSENTE_7731")
                                   : projectText(morvane::kSearchPieceSize + 1000) + "#";
    for (auto _ : state) {
        morvane::AnsiNoCaseFinder finder(needle);
        for (std::size_t at = 0; at < hay.size(); at += morvane::kSearchPieceSize) {
            finder.feed(std::string_view(hay).substr(at, morvane::kSearchPieceSize));
        }
        benchmark::DoNotOptimize(finder.found());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * (20 << 20));
}
BENCHMARK(BM_AnsiNoCaseFinder_pieces)->Arg(0)->Arg(1);

void BM_LineReader(benchmark::State& state) {
    const std::string text = projectText(20 << 20);
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("morvane-micro-" + std::to_string(::getpid()));
    std::ofstream(file, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    for (auto _ : state) {
        morvane::LineReader reader(morvane::posixFile(::open(file.c_str(), O_RDONLY | O_CLOEXEC)));
        std::size_t lines = 0;
        while (!reader.atEnd()) {
            benchmark::DoNotOptimize(reader.readLine());
            ++lines;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * (20 << 20));
    std::filesystem::remove(file);
}
BENCHMARK(BM_LineReader)->Unit(benchmark::kMillisecond);

void BM_BuscarYReemplazar(benchmark::State& state) {
    const std::string line =
        state.range(0) == 0 ? "Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; MSCOMCTL.OCX"
                            : "Reference=*\\G{0}#1.0#0#..\\Comun.dll#COMUN; comun";
    const std::string buscar = "comun", reemplazar = "Base";
    try {
        std::string probe = line;
        morvane::BuscarYReemplazar(probe, buscar, reemplazar);
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    for (auto _ : state) {
        std::string texto = line;
        morvane::BuscarYReemplazar(texto, buscar, reemplazar);
        benchmark::DoNotOptimize(texto);
    }
}
BENCHMARK(BM_BuscarYReemplazar)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();

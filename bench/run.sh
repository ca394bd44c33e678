#!/bin/sh
# Builds what the benchmarks need and runs every comparison, printing the
# results table (also written to BUILD_DIR/bench-results.md).
# Usage: bench/run.sh [BUILD_DIR] [compare.py options, e.g. --runs 7 --only search]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench
case ${1:-} in
-*|"") ;;
*) build=$1; shift ;;
esac
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target morvane morvane_bench morvane_bench_qt minimal_qt \
    first_paint_hook morvane_micro_bench
echo "== df -h ${TMPDIR:-/tmp} (the data takes about 1.5 GB at most, deleted after each benchmark)" >&2
df -h "${TMPDIR:-/tmp}" >&2
python3 "$root/bench/compare.py" --build "$build" --out "$build/bench-results.md" "$@"
echo "== micro-benchmarks" >&2
"$build/bench/morvane_micro_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

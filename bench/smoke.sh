#!/bin/sh
# A small run of the benchmark driver on tiny generated data: the generator
# and the driver work together and the driver's runs give the right answers.
# Usage: smoke.sh PYTHON gen_data.py morvane_bench [morvane_bench_qt]
set -eu
python=$1 gen=$2 driver=$3 qt_driver=${4:-}
data=$(mktemp -d "${TMPDIR:-/tmp}/morvane-bench-smoke-XXXXXX")
trap 'rm -rf "$data"' EXIT

fail() { echo "bench smoke: $*" >&2; exit 1; }
# The real project files beside the checkout when they are there; otherwise
# the repository's own sample projects, so the smoke run works in any clone.
root=$(cd "$(dirname "$gen")/.." && pwd)
corpus="$root/../shared/corpus"
[ -d "$corpus" ] || corpus="$root/samples"
gen_data() { "$python" "$gen" --corpus "$corpus" "$@"; }
# Runs the driver; its stdout goes to $out, its failure ends the test.
drive() {
    out=$("$driver" "$@" 2>"$data/stderr") || fail "morvane_bench $*: $(cat "$data/stderr")"
}

# The window driver's test leaves the search to the plain driver's.
if [ -z "$qt_driver" ]; then
    gen_data search "$data/s" --files 20 --total 200000 --largest 40000 >/dev/null
    drive search "$data/s" MARCA_FINAL_7731
    [ "$out" = "listed=20 marked=20" ] || fail "search for the end marker: $out"
    drive search "$data/s" QZXJ_AUSENTE_7731
    [ "$out" = "listed=20 marked=0" ] || fail "search for the absent text: $out"
fi

gen_data rewrite "$data/r" --lines 1000 --size 50000 >/dev/null
expected="$data/expected"
sed 's/comun/Base/gI' "$data/r/Reescribir.vbp" >"$expected"
drive rewrite "$data/r/Reescribir.vbp" comun Base
[ "$out" = "repaints=1001" ] || fail "rewrite: $out"
cmp -s "$expected" "$data/r/Reescribir.vbp" || fail "the rewrite differs from sed's output"
[ -f "$data/r/Reescribir.OLD" ] || fail "no backup after the rewrite"

if [ -n "$qt_driver" ]; then
    gen_data listing "$data/l" --projects 5 --others 10 >/dev/null
    driver=$qt_driver
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$data drive listing "$data/l"
    [ "$out" = "listed=5 opened=5" ] || fail "listing: $out"
    cp "$data/r/Reescribir.OLD" "$data/r/Reescribir.vbp"
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$data drive rewrite "$data/r/Reescribir.vbp" comun Base
    [ "$out" = "marked=1 repaints=1001" ] || fail "rewrite with the status line: $out"
    cmp -s "$expected" "$data/r/Reescribir.vbp" || fail "the rewrite with the status line differs"
    gen_data projects "$data/p" --count 5 --others 10 >/dev/null
    mkdir "$data/p.sed"
    cp "$data/p"/*.vbp "$data/p.sed/"
    LC_ALL=C sed -i 's/comun/Base/gI' "$data/p.sed"/*.vbp
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$data drive rewrite-all "$data/p" comun Base
    case $out in "marked=5 "*) ;; *) fail "rewrite of every project: $out" ;; esac
    for f in "$data/p.sed"/*.vbp; do
        cmp -s "$f" "$data/p/${f##*/}" || fail "the rewrite of ${f##*/} differs from sed's"
    done
fi
echo "bench smoke: ok"

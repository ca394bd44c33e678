#!/bin/sh
# A small run of the X driver against the real program on its own Xvfb: the
# program is started, its boxes and its list are seen, and every figure is
# printed. Usage: x_smoke.sh PYTHON gen_data.py morvane_x_driver morvane
set -eu
python=$1 gen=$2 driver=$3 program=$4
data=$(mktemp -d "${TMPDIR:-/tmp}/morvane-x-smoke-XXXXXX")
xvfb=
trap '[ -n "$xvfb" ] && kill "$xvfb"; rm -rf "$data"' EXIT
fail() { echo "x smoke: $*" >&2; exit 1; }

root=$(cd "$(dirname "$gen")/.." && pwd)
corpus="$root/../shared/corpus"
[ -d "$corpus" ] || corpus="$root/samples"
"$python" "$gen" --corpus "$corpus" search "$data/start/datos" --files 20 --total 200000 \
    --largest 40000 >/dev/null

# Xvfb writes the number of the display it took to the descriptor it is given.
exec 3>"$data/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 2>/dev/null &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$data/display" ] && break; sleep 0.1; done
[ -s "$data/display" ] || fail "Xvfb did not start"
mkdir -m 700 "$data/xdg"

# The program goes to this X display whatever platform the tests around it
# chose (./test runs them offscreen).
out=$(DISPLAY=:$(cat "$data/display") XDG_RUNTIME_DIR="$data/xdg" QT_QPA_PLATFORM=xcb \
    "$driver" "$program" "$data/start" QZXJ_AUSENTE_7731 --presses 1) || fail "the driver failed"
for figure in first_paint_ns empty_box_ns_1 empty_cpu_ns_1 open_ns open_cpu_ns search_box_ns_1; do
    echo "$out" | grep -q "^$figure=[0-9]" || fail "no $figure in: $out"
done
echo "x smoke: ok"

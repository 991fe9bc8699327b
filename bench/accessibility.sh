#!/usr/bin/env bash
# What opening the map page to assistive technologies costs: start-up to the main window shown,
# and the memory of the program with its web engine processes once the map page has settled,
# with Qt's accessibility switch on (as when a screen reader runs) and off, RUNS times each,
# alternating. Figures in docs/PERFORMANCE.md.
# Usage: bench/accessibility.sh [BUILD_DIR]   (default build/default; RUNS=5)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/default}"
runs="${RUNS:-5}"
cmake --preset default -DTARNEL_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target tarnel tarnel_bench_window_watch >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$build/app/tarnel" "$work/tarnel"

cat >"$work/run.sh" <<EOF
set -e
export QT_QPA_PLATFORM=xcb QTWEBENGINE_DISABLE_SANDBOX=1
export TARNEL_GEOCODER_FRANCE_URL= TARNEL_GEOCODER_WORLD_URL=
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --disable-background-networking"
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"
# The proportional memory of a process and all its descendants, in KiB.
pss() {
  local total=\$(awk '/^Pss:/ {s += \$2} END {print s + 0}' /proc/\$1/smaps_rollup 2>/dev/null || echo 0)
  for child in \$(pgrep -P \$1 || true); do total=\$((total + \$(pss \$child))); done
  echo \$total
}
for i in \$(seq $runs); do
  for mode in off on; do
    if [ \$mode = on ]; then export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1; else unset QT_LINUX_ACCESSIBILITY_ALWAYS_ON; fi
    echo "start \$mode \$("$build/bench/tarnel_bench_window_watch" "Tarnel - v" 60 -- "$work/tarnel")"
    "$work/tarnel" & pid=\$!
    sleep 8
    # With the switch on, read the page's tree once as a screen reader does: the engine builds
    # its side of it on demand.
    [ \$mode = off ] || timeout 60 /usr/bin/python3 "$PWD/bench/read_accessible_tree.py" >/dev/null || true
    sleep 2
    echo "memory \$mode \$(pss \$pid)"
    kill \$pid; wait \$pid || true
  done
done
EOF
xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- bash "$work/run.sh" >"$work/out.txt" \
  2>"$work/err.txt" || { cat "$work/err.txt" >&2; exit 1; }
python3 - "$work/out.txt" <<'EOF'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    # The accessibility bus's daemons print on the same output; a start that timed out has no
    # figure.
    fields = line.split()
    if len(fields) == 3 and fields[0] in ("start", "memory"):
        rows.setdefault((fields[0], fields[1]), []).append(float(fields[2]))
for what, unit, scale in (("start", "ms", 1), ("memory", "MiB", 1 / 1024)):
    off, on = (statistics.median(rows[(what, m)]) * scale for m in ("off", "on"))
    def runs(mode):
        return ", ".join(f"{v * scale:.0f}" for v in rows[(what, mode)])
    print(f"- {what}: without {off:.0f} {unit} ({runs('off')}); with {on:.0f} {unit} "
          f"({runs('on')}); ratio {on / off:.2f}")
EOF

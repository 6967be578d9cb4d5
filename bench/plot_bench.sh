#!/bin/sh
# Plotting: the release binary plotting a two-column text file (DATA, PLOT,
# QUIT, into a document file) against gnuplot 5 doing the same (set terminal
# postscript, plot 'file' using 1:2 with lines), side by side in one run.
#
#   bench/plot_bench.sh [ROWS...]        (default 1000000 10000000)
#
# For each row count it generates the data (load_floor generate: time in
# seconds and a noisy signal), reads the file once so that it is in the page
# cache, and runs each of these RUNS times (default 5), keeping the fastest
# run (the machine may be busy):
#
#   vexal     DATA file, PLOT (LOAD, DOAXES, DOPLOT), QUIT
#   axes      DATA file, LOAD, DOAXES, QUIT: the same without DOPLOT, so that
#             DOPLOT alone is the difference to "vexal"
#   gnuplot   the same plot with gnuplot
#   drawto    drawto_bench for as many segments as DOPLOT wrote: the pen
#             writing the same number of lines, without reading or mapping
#
# and then doplot_bench for the row count: `line`, the routine behind DOPLOT,
# timed inside one process against drawto on the same page positions.
#
# Each process figure is a whole process run by `load_floor run`, which
# reports wall time, CPU time (user + system) and peak RSS (getrusage). The
# vexal runs are QUIET (no progress lines). Targets: vexal faster than
# gnuplot at every size; vexal's time growing no faster than the row count;
# DOPLOT alone within 2 x drawto for the same number of segments.
#
# The binaries are build/src/vexal and build/bench/{load_floor,drawto_bench,
# doplot_bench} unless VEXAL, LOAD_FLOOR, DRAWTO_BENCH and DOPLOT_BENCH name
# others; gnuplot is found on the PATH unless GNUPLOT names it (Debian:
# gnuplot-nox, installed by scripts/install-deps.sh). Not on a sanitizer build.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
vexal=${VEXAL:-$root/build/src/vexal}
floor=${LOAD_FLOOR:-$root/build/bench/load_floor}
drawto=${DRAWTO_BENCH:-$root/build/bench/drawto_bench}
doplot=${DOPLOT_BENCH:-$root/build/bench/doplot_bench}
gnuplot=${GNUPLOT:-gnuplot}
runs=${RUNS:-5}

for bin in "$vexal" "$floor" "$drawto" "$doplot"; do
  if [ ! -x "$bin" ]; then
    echo "no binary at $bin: build first (ninja -C build vexal load_floor drawto_bench doplot_bench)" >&2
    exit 1
  fi
done
if ! command -v "$gnuplot" >/dev/null 2>&1; then
  echo "no gnuplot: install it (scripts/install-deps.sh installs gnuplot-nox)" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vexal-plot.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The fastest of $runs runs: "wall cpu maxrss_kib status".
best() {
  i=0
  while [ "$i" -lt "$runs" ]; do
    "$floor" run "$@"
    i=$((i + 1))
  done | sort -n | head -n 1
}

# The fastest "drawto writer" time of $runs runs of drawto_bench.
best_drawto() {
  i=0
  while [ "$i" -lt "$runs" ]; do
    "$drawto" "$1" | awk '/^drawto writer/ { print $3 }'
    i=$((i + 1))
  done | sort -n | head -n 1
}

previous=""
for rows in ${@:-1000000 10000000}; do
  txt=$work/data.txt
  "$floor" generate "$rows" "$txt" "$work/data.dat"
  rm -f "$work/data.dat"
  cat "$txt" >/dev/null
  printf 'QUIET\nMAXP 20000000\nDATA %s\nPLOT\nQUIT\n' "$txt" >"$work/plot.vx"
  printf 'QUIET\nMAXP 20000000\nDATA %s\nLOAD\nDOAXES\nQUIT\n' "$txt" >"$work/axes.vx"
  gp="set terminal postscript; set output '$work/gnuplot.ps'; plot '$txt' using 1:2 with lines"

  v=$(best "$vexal" -d -o "$work/vexal.ps" "$work/plot.vx")
  a=$(best "$vexal" -d -o "$work/axes.ps" "$work/axes.vx")
  g=$(best "$gnuplot" -e "$gp")
  vsize=$(wc -c <"$work/vexal.ps")
  gsize=$(wc -c <"$work/gnuplot.ps")
  # Segments DOPLOT wrote: the L lines beyond those of the axes alone.
  segments=$(($(grep -c ' L$' "$work/vexal.ps") - $(grep -c ' L$' "$work/axes.ps")))
  d=$(best_drawto "$segments")
  inside=$("$doplot" "$rows" | awk '/^line/ { l = $3 } /^drawto/ { d = $2 } END { print l, d }')

  echo "$rows $(wc -c <"$txt") $v $a $g $vsize $gsize $segments $d $inside $previous" | awk '{
    rows = $1
    vw = $3; vc = $4; vr = $5; aw = $7; ac = $8; gw = $11; gc = $12; gr = $13
    vsize = $15; gsize = $16; seg = $17; dw = $18; lin = $19; ldr = $20
    printf "%d rows: text file %.0f MiB\n", rows, $2 / 1048576
    printf "  %-36s %8s %8s %10s %12s\n", "", "wall s", "cpu s", "peak MiB", "document MiB"
    printf "  %-36s %8.3f %8.3f %10.0f %12.1f\n", "vexal DATA, PLOT, QUIT", vw, vc, vr / 1024, vsize / 1048576
    printf "  %-36s %8.3f %8.3f %10.0f %12.1f\n", "gnuplot plot using 1:2 with lines", gw, gc, gr / 1024, gsize / 1048576
    printf "  %-36s %8.2f %8.2f  (target below 1)\n", "ratio vexal / gnuplot", vw / gw, vc / gc
    printf "  %-36s %8.3f %8.3f\n", "vexal without DOPLOT", aw, ac
    printf "  %-36s %8.3f %8.3f  (%d segments written)\n", "DOPLOT alone (the difference)", vw - aw, vc - ac, seg
    printf "  %-36s %8.3f\n", "drawto, the same segments", dw
    printf "  %-36s %8.2f %8.2f  (target 2)\n", "ratio DOPLOT / drawto", (vw - aw) / dw, (vc - ac) / dw
    printf "  %-36s %8.3f  drawto %.3f, ratio %.2f (target 2)\n", "in one process: line", lin, ldr, lin / ldr
    if (NF >= 22) {
      prows = $21; pw = $22; pc = $23
      printf "  %-36s %8.2f %8.2f  (rows x %.1f; target at most that)\n", "vexal time growth from " prows " rows",
        vw / pw, vc / pc, rows / prows
    }
  }'
  previous="$rows $(echo "$v" | cut -d' ' -f1-2)"
done

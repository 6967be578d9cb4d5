#!/bin/sh
# The hidden-line surface: the release binary's SURF of an N x N array read
# with RAWARRAY, against GMT's grdview -Qm (the mesh) on the same grid from
# a netCDF file and gnuplot 5's hidden3d splot of the same values, all
# writing PostScript, side by side in one run.
#
#   bench/surface_bench.sh [N...]        (default 250 500)
#
# For each N, array_floor surface writes the field (100 sin(5.5 u) cos(3.5 v)
# over the grid, u and v from 0 to 1: the same surface at every N, no noise)
# as a RAWARRAY file, a text matrix for gnuplot and x y z lines, from which
# `gmt xyz2grd` makes the netCDF grid (not timed). All three views look
# down at 30 degrees onto the base plane, turned 30 degrees about the
# vertical. It then runs each of these RUNS times (default 5; gnuplot
# GNUPLOT_RUNS times, default 2, as one of its runs takes seconds), in
# turns, keeping the fastest run (the machine may be busy):
#
#   vexal      QUIET, RAWARRAY file, CARTESIAN, 3DROT -60 0 -30, SURF, QUIT
#   nohide     the same with NOHIDE before SURF: every line drawn, no horizon
#   raw        QUIET, RAWARRAY file, QUIT: start-up and reading alone
#   gmt        gmt grdview grid.nc -R1/N/1/N -JX6i/6i -JZ4i -p150/30 -Qm
#              -Wm0.25p -P > gmt.ps (classic mode, one process behind sh)
#   gnuplot    set terminal postscript portrait; set hidden3d; set view
#              60,30; no key, border or tics; splot 'surface.txt' matrix
#              with lines
#
# Each figure is a whole process run by `load_floor run`, which reports wall
# time, CPU time (user + system) and peak RSS; before each run it reads a
# file of EVICT_MIB MiB (default 1024; 0 reads nothing). The vexal command
# files are run once first and the script stops if vexal reports anything.
# Targets: vexal faster than GMT; gnuplot at least 20 x vexal's time;
# vexal's time from the first N to the last growing no faster than 1.25 x
# the number of values (5 x from 250 to 500).
#
# The binaries are build/src/vexal and build/bench/{load_floor,array_floor}
# unless VEXAL, LOAD_FLOOR and ARRAY_FLOOR name others; gmt and gnuplot are
# found on the PATH unless GMT and GNUPLOT name them (Debian: gmt,
# gnuplot-nox). Not on a sanitizer build.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
# The runs take place in the work directory (gmt writes its history file
# into the current one): the binaries by absolute names.
absolute() {
  case $1 in
    /*) echo "$1" ;;
    *) echo "$PWD/$1" ;;
  esac
}
vexal=$(absolute "${VEXAL:-$root/build/src/vexal}")
floor=$(absolute "${LOAD_FLOOR:-$root/build/bench/load_floor}")
array_floor=$(absolute "${ARRAY_FLOOR:-$root/build/bench/array_floor}")
gmt=${GMT:-gmt}
gnuplot=${GNUPLOT:-gnuplot}

for bin in "$vexal" "$floor" "$array_floor"; do
  if [ ! -x "$bin" ]; then
    echo "no binary at $bin: build first (ninja -C build vexal load_floor array_floor)" >&2
    exit 1
  fi
done
for tool in "$gmt" "$gnuplot"; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "no $tool: install it (Debian: apt-get install gmt gnuplot-nox)" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vexal-surface.XXXXXX")
trap 'rm -rf "$work"' EXIT
dd if=/dev/zero of="$work/evict" bs=1M count="${EVICT_MIB:-1024}" status=none
cd "$work"

best() {  # label: "wall cpu maxrss_kib status" of the fastest run
  sort -n "$work/$1.times" | head -n 1
}

first_n=""
[ $# -gt 0 ] || set -- 250 500
for n in "$@"; do
  "$array_floor" surface "$n" "$work"
  "$gmt" xyz2grd "$work/surface.xyz" -R1/"$n"/1/"$n" -I1 -G"$work/grid.nc"
  rm -f "$work/surface.xyz"
  cat "$work/surface.raw" "$work/surface.txt" "$work/grid.nc" >/dev/null

  view='CARTESIAN\n3DROT -60 0 -30\n'
  printf "QUIET\nRAWARRAY %s\n${view}SURF\nQUIT\n" "$work/surface.raw" >"$work/vexal.vx"
  printf "QUIET\nRAWARRAY %s\n${view}NOHIDE\nSURF\nQUIT\n" "$work/surface.raw" >"$work/nohide.vx"
  printf 'QUIET\nRAWARRAY %s\nQUIT\n' "$work/surface.raw" >"$work/raw.vx"
  for case in vexal nohide raw; do
    "$vexal" -d -o "$work/$case.ps" "$work/$case.vx" >/dev/null 2>"$work/errors" || true
    if [ -s "$work/errors" ] || [ ! -s "$work/$case.ps" ]; then
      echo "vexal reported on $case.vx:" >&2
      head -n 5 "$work/errors" >&2
      exit 1
    fi
  done
  grdview="$gmt grdview $work/grid.nc -R1/$n/1/$n -JX6i/6i -JZ4i -p150/30 -Qm -Wm0.25p -P"
  splot="set terminal postscript portrait; set output '$work/gnuplot.ps'; set hidden3d;"
  splot="$splot set view 60,30; unset key; unset border; unset tics;"
  splot="$splot splot '$work/surface.txt' matrix with lines"

  rm -f "$work"/*.times
  cat >"$work/programs" <<EOF
vexal $vexal -d -o $work/vexal.ps $work/vexal.vx
nohide $vexal -d -o $work/nohide.ps $work/nohide.vx
raw $vexal -d -o $work/raw.ps $work/raw.vx
EOF
  # The programs take turns, a run of each per round, so that a busy spell
  # of the machine does not fall on one program's runs alone. gmt's document
  # goes to its standard output, which `load_floor run` sends to /dev/null:
  # it runs behind sh (about a millisecond).
  for round in $(seq "${RUNS:-5}"); do
    while read -r label args; do
      # shellcheck disable=SC2086
      "$floor" run --evict "$work/evict" $args >>"$work/$label.times"
    done <"$work/programs"
    "$floor" run --evict "$work/evict" sh -c "$grdview >$work/gmt.ps" >>"$work/gmt.times"
    if [ "$round" -le "${GNUPLOT_RUNS:-2}" ]; then
      "$floor" run --evict "$work/evict" "$gnuplot" -e "$splot" >>"$work/gnuplot.times"
    fi
  done

  v=$(best vexal)
  echo "$n $v $(best nohide) $(best raw) $(best gmt) $(best gnuplot)" \
    "$(wc -c <"$work/vexal.ps") $(wc -c <"$work/nohide.ps") $(wc -c <"$work/gmt.ps")" \
    "$(wc -c <"$work/gnuplot.ps")" | awk '{
    vw = $2; vc = $3; vr = $4; hw = $6; hc = $7; rw = $10; rc = $11
    mw = $14; mc = $15; mr = $16; gw = $18; gc = $19; gr = $20
    printf "%d x %d array, %d cells\n", $1, $1, ($1 - 1) * ($1 - 1)
    printf "  %-34s %8s %8s %9s %13s\n", "", "wall s", "cpu s", "peak MiB", "document MiB"
    printf "  %-34s %8.4f %8.4f %9.0f %13.2f\n", "vexal RAWARRAY, SURF", vw, vc, vr / 1024, $22 / 1048576
    printf "  %-34s %8.4f %8.4f %9s %13.2f\n", "vexal NOHIDE, SURF", hw, hc, "", $23 / 1048576
    printf "  %-34s %8.4f %8.4f\n", "vexal RAWARRAY alone", rw, rc
    printf "  %-34s %8.4f %8.4f %9.0f %13.2f\n", "gmt grdview -Qm", mw, mc, mr / 1024, $24 / 1048576
    printf "  %-34s %8.4f %8.4f %9.0f %13.2f\n", "gnuplot hidden3d splot", gw, gc, gr / 1024, $25 / 1048576
    printf "  %-34s %8.2f %8.2f  (target below 1)\n", "ratio vexal / gmt", vw / mw, vc / mc
    printf "  %-34s %8.1f %8.1f  (target 20 or more)\n", "ratio gnuplot / vexal", gw / vw, gc / vc
  }'
  if [ -z "$first_n" ]; then
    first_n=$n
    first=$v
  else
    echo "$first_n $first $n $v" | awk '{
      limit = 1.25 * $6 * $6 / ($1 * $1)
      printf "  vexal from %d to %d: %.2f x wall, %.2f x cpu  (target %.2f)\n", $1, $6,
        $7 / $2, $8 / $3, limit }'
  fi
done

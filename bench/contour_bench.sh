#!/bin/sh
# Contours: the release binary's CONT of an N x N array read with RAWARRAY,
# against GMT's grdcontour on the same grid from a netCDF file and gnuplot
# 5's contour of the same values, the same 25 levels in all three; and
# CCONT, the colour cells, beside GMT's grdimage. All write PostScript; side
# by side in one run.
#
#   bench/contour_bench.sh [N...]        (default 500 1000)
#
# For each N, array_floor surface writes the field (100 sin(5.5 u)
# cos(3.5 v) over the grid, u and v from 0 to 1: the same two hills and two
# hollows at every N, values within -100 .. 100) as a RAWARRAY file, a text
# matrix for gnuplot and x y z lines, from which `gmt xyz2grd` makes the
# netCDF grid (not timed). The levels are the multiples of STEP (default 8)
# within the data: -96, -88, ... 96, 25 of them, including 0 (the first
# column of the grid lies exactly on it). It then runs each of these RUNS
# times (default 5; gnuplot GNUPLOT_RUNS times, default 2, as one of its
# runs takes seconds), in turns, keeping the fastest run (the machine may
# be busy):
#
#   vexal      QUIET, RAWARRAY file, CONTOURSTEP 8, CONT, QUIT (labelled)
#   nolabel    the same with NOANNOTATEC before CONT
#   ccont      QUIET, RAWARRAY file, CCONT, QUIT (the default colour table)
#   raw        QUIET, RAWARRAY file, QUIT: start-up and reading alone
#   gmt        gmt grdcontour grid.nc -R1/N/1/N -JX6i/6i -C8 -A8 -P
#              (every level labelled)
#   gmt_nolabel  the same with -A- (no labels)
#   grdimage   gmt grdimage grid.nc -R1/N/1/N -JX6i/6i -Cgrey.cpt -P, ten
#              grey slices from -100 to 100 (gmt makecpt, not timed)
#   gnuplot    set terminal postscript portrait; set contour base; unset
#              surface; set view map; no key; set cntrparam levels
#              incremental -96,8,96; splot 'surface.txt' matrix with lines
#
# The GMT programs run in classic mode with their documents on standard
# output, so they run behind sh (about a millisecond). Each figure is a
# whole process run by `load_floor run`, which reports wall time, CPU time
# (user + system) and peak RSS; before each run it reads a file of EVICT_MIB
# MiB (default 1024; 0 reads nothing). The vexal command files are run once
# first and the script stops if vexal reports anything. Targets: CONT
# faster than grdcontour; gnuplot at least 20 x CONT's time; CONT's time
# from the first N to the last growing no faster than 1.125 x the number of
# values (4.5 x from 500 to 1000).
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
step=${STEP:-8}

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

work=$(mktemp -d "${TMPDIR:-/tmp}/vexal-contour.XXXXXX")
trap 'rm -rf "$work"' EXIT
dd if=/dev/zero of="$work/evict" bs=1M count="${EVICT_MIB:-1024}" status=none
cd "$work"
"$gmt" makecpt -Cgray -T-100/100/20 >"$work/grey.cpt"

best() {  # label: "wall cpu maxrss_kib status" of the fastest run
  sort -n "$work/$1.times" | head -n 1
}

first_n=""
[ $# -gt 0 ] || set -- 500 1000
for n in "$@"; do
  "$array_floor" surface "$n" "$work"
  "$gmt" xyz2grd "$work/surface.xyz" -R1/"$n"/1/"$n" -I1 -G"$work/grid.nc"
  rm -f "$work/surface.xyz"
  cat "$work/surface.raw" "$work/surface.txt" "$work/grid.nc" >/dev/null

  # The levels: the multiples of the step within the data's extremes, the
  # same numbers for all three programs.
  range=$("$gmt" grdinfo -C "$work/grid.nc" | awk '{ print $6, $7 }')
  levels=$(echo "$range $step" | awk '{
    lo = $1 / $3; hi = $2 / $3
    first = (lo == int(lo) || lo < 0) ? int(lo) : int(lo) + 1
    last = (hi == int(hi) || hi > 0) ? int(hi) : int(hi) - 1
    printf "%d %g %g", last - first + 1, first * $3, last * $3 }')
  read -r count low high <<LEVELS
$levels
LEVELS

  printf 'QUIET\nRAWARRAY %s\nCONTOURSTEP %s\nCONT\nQUIT\n' "$work/surface.raw" "$step" \
    >"$work/vexal.vx"
  printf 'QUIET\nRAWARRAY %s\nCONTOURSTEP %s\nNOANNOTATEC\nCONT\nQUIT\n' "$work/surface.raw" \
    "$step" >"$work/nolabel.vx"
  printf 'QUIET\nRAWARRAY %s\nCCONT\nQUIT\n' "$work/surface.raw" >"$work/ccont.vx"
  printf 'QUIET\nRAWARRAY %s\nQUIT\n' "$work/surface.raw" >"$work/raw.vx"
  for case in vexal nolabel ccont raw; do
    "$vexal" -d -o "$work/$case.ps" "$work/$case.vx" >/dev/null 2>"$work/errors" || true
    if [ -s "$work/errors" ] || [ ! -s "$work/$case.ps" ]; then
      echo "vexal reported on $case.vx:" >&2
      head -n 5 "$work/errors" >&2
      exit 1
    fi
  done
  grid="$work/grid.nc -R1/$n/1/$n -JX6i/6i"
  grdcontour="$gmt grdcontour $grid -C$step -A$step -P"
  grdcontour_nolabel="$gmt grdcontour $grid -C$step -A- -P"
  grdimage="$gmt grdimage $grid -C$work/grey.cpt -P"
  splot="set terminal postscript portrait; set output '$work/gnuplot.ps';"
  splot="$splot set contour base; unset surface; set view map; unset key;"
  splot="$splot set cntrparam levels incremental $low,$step,$high;"
  splot="$splot splot '$work/surface.txt' matrix with lines"

  rm -f "$work"/*.times
  cat >"$work/programs" <<EOF
vexal $vexal -d -o $work/vexal.ps $work/vexal.vx
nolabel $vexal -d -o $work/nolabel.ps $work/nolabel.vx
ccont $vexal -d -o $work/ccont.ps $work/ccont.vx
raw $vexal -d -o $work/raw.ps $work/raw.vx
EOF
  cat >"$work/gmt_programs" <<EOF
gmt $grdcontour
gmt_nolabel $grdcontour_nolabel
grdimage $grdimage
EOF
  # The programs take turns, a run of each per round, so that a busy spell
  # of the machine does not fall on one program's runs alone. A GMT
  # document goes to its standard output, which `load_floor run` sends to
  # /dev/null: it runs behind sh.
  for round in $(seq "${RUNS:-5}"); do
    while read -r label args; do
      # shellcheck disable=SC2086
      "$floor" run --evict "$work/evict" $args >>"$work/$label.times"
    done <"$work/programs"
    while read -r label command; do
      "$floor" run --evict "$work/evict" sh -c "$command >$work/$label.ps" >>"$work/$label.times"
    done <"$work/gmt_programs"
    if [ "$round" -le "${GNUPLOT_RUNS:-2}" ]; then
      "$floor" run --evict "$work/evict" "$gnuplot" -e "$splot" >>"$work/gnuplot.times"
    fi
  done

  v=$(best vexal)
  l=$(best nolabel)
  size() { wc -c <"$work/$1.ps"; }
  echo "$n $count $low $high $v $l $(best ccont) $(best raw) $(best gmt) $(best gmt_nolabel)" \
    "$(best grdimage) $(best gnuplot) $(size vexal) $(size nolabel) $(size ccont)" \
    "$(size gmt) $(size gmt_nolabel) $(size grdimage) $(size gnuplot)" | awk '{
    n = $1
    vw = $5; vc = $6; vr = $7; lw = $9; lc = $10; cw = $13; cc = $14; cr = $15
    rw = $17; rc = $18; mw = $21; mc = $22; mr = $23; nw = $25; nc = $26
    iw = $29; ic = $30; ir = $31; gw = $33; gc = $34; gr = $35
    printf "%d x %d array, %d levels from %g to %g\n", n, n, $2, $3, $4
    printf "  %-30s %8s %8s %9s %13s\n", "", "wall s", "cpu s", "peak MiB", "document MiB"
    printf "  %-30s %8.4f %8.4f %9.0f %13.2f\n", "vexal CONT", vw, vc, vr / 1024, $37 / 1048576
    printf "  %-30s %8.4f %8.4f %9s %13.2f\n", "vexal CONT, NOANNOTATEC", lw, lc, "", $38 / 1048576
    printf "  %-30s %8.4f %8.4f\n", "vexal RAWARRAY alone", rw, rc
    printf "  %-30s %8.4f %8.4f %9.0f %13.2f\n", "gmt grdcontour -A (labels)", mw, mc, mr / 1024,
      $40 / 1048576
    printf "  %-30s %8.4f %8.4f %9s %13.2f\n", "gmt grdcontour -A-", nw, nc, "", $41 / 1048576
    printf "  %-30s %8.4f %8.4f %9.0f %13.2f\n", "gnuplot contour splot", gw, gc, gr / 1024,
      $43 / 1048576
    printf "  %-30s %8.2f %8.2f  (target below 1)\n", "ratio CONT / grdcontour -A", vw / mw, vc / mc
    printf "  %-30s %8.2f %8.2f\n", "ratio NOANNOTATEC / -A-", lw / nw, lc / nc
    printf "  %-30s %8.1f %8.1f  (target 20 or more)\n", "ratio gnuplot / CONT", gw / vw, gc / vc
    printf "  %-30s %8.4f %8.4f %9.0f %13.2f\n", "vexal CCONT", cw, cc, cr / 1024, $39 / 1048576
    printf "  %-30s %8.4f %8.4f %9.0f %13.2f\n", "gmt grdimage", iw, ic, ir / 1024, $42 / 1048576
    printf "  %-30s %8.2f %8.2f\n", "ratio CCONT / grdimage", cw / iw, cc / ic
  }'
  if [ -z "$first_n" ]; then
    first_n=$n
    first=$v
    first_nolabel=$l
  else
    echo "$first_n $first $first_nolabel $n $v $l" | awk '{
      limit = 1.125 * $10 * $10 / ($1 * $1)
      printf "  CONT from %d to %d: %.2f x wall, %.2f x cpu  (target %.2f)\n", $1, $10,
        $11 / $2, $12 / $3, limit
      printf "  NOANNOTATEC from %d to %d: %.2f x wall, %.2f x cpu\n", $1, $10, $15 / $6, $16 / $7 }'
  fi
done

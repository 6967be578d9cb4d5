#!/bin/sh
# The 3-D curve: the release binary's DO3DPLOT of N points in the Cartesian
# view with hidden lines, its time and the size of its document.
#
#   bench/plot3d_bench.sh [N...]         (default 1000000)
#
# fill3d_floor curve writes the points as a 3-column "$P" file: a helix of
# 40 turns wound about a torus, so that the front of the curve hides parts
# of its back. It runs each of these RUNS times (default 5), in turns,
# keeping the fastest run (the machine may be busy):
#
#   hide     QUIET, MAXP 20000000, DATA file, XCOL 1, YCOL 2, ZCOL 3, LOAD,
#            CARTESIAN, 3DROT -60 0 -30, HIDE, DO3DPLOT, QUIT
#   nohide   the same with NOHIDE: every segment drawn, no horizon
#   load     the same without DO3DPLOT: start-up and LOAD alone
#
# DO3DPLOT alone is the difference between "hide" and "load". Each figure is
# a whole process run by `load_floor run`, which reports wall time, CPU time
# (user + system) and peak RSS; before each run it reads a file of EVICT_MIB
# MiB (default 1024; 0 reads nothing). The command files are run once first
# and the script stops if vexal reports anything.
#
# The binaries are build/src/vexal and build/bench/{load_floor,fill3d_floor}
# unless VEXAL, LOAD_FLOOR and FILL3D_FLOOR name others. Not on a sanitizer
# build.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
vexal=${VEXAL:-$root/build/src/vexal}
floor=${LOAD_FLOOR:-$root/build/bench/load_floor}
fill3d_floor=${FILL3D_FLOOR:-$root/build/bench/fill3d_floor}

for bin in "$vexal" "$floor" "$fill3d_floor"; do
  if [ ! -x "$bin" ]; then
    echo "no binary at $bin: build first (ninja -C build vexal load_floor fill3d_floor)" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vexal-plot3d.XXXXXX")
trap 'rm -rf "$work"' EXIT
dd if=/dev/zero of="$work/evict" bs=1M count="${EVICT_MIB:-1024}" status=none

commands() {  # the lines after LOAD
  printf 'QUIET\nMAXP 20000000\nDATA %s\nXCOL 1\nYCOL 2\nZCOL 3\nLOAD\n%bQUIT\n' "$dat" "$1"
}

[ $# -gt 0 ] || set -- 1000000
for n in "$@"; do
  dat=$work/curve.dat
  "$fill3d_floor" curve "$n" "$dat"
  cat "$dat" >/dev/null
  view='CARTESIAN\n3DROT -60 0 -30\n'
  commands "${view}HIDE\nDO3DPLOT\n" >"$work/hide.vx"
  commands "${view}NOHIDE\nDO3DPLOT\n" >"$work/nohide.vx"
  commands "" >"$work/load.vx"
  for case in hide nohide load; do
    "$vexal" -d -o "$work/$case.ps" "$work/$case.vx" >/dev/null 2>"$work/errors" || true
    if [ -s "$work/errors" ] || [ ! -s "$work/$case.ps" ]; then
      echo "vexal reported on $case.vx:" >&2
      head -n 5 "$work/errors" >&2
      exit 1
    fi
  done

  rm -f "$work"/*.times
  # The programs take turns, a run of each per round, so that a busy spell
  # of the machine does not fall on one program's runs alone.
  for _ in $(seq "${RUNS:-5}"); do
    for case in hide nohide load; do
      "$floor" run --evict "$work/evict" "$vexal" -d -o "$work/$case.ps" "$work/$case.vx" \
        >>"$work/$case.times"
    done
  done
  best() {  # label: "wall cpu maxrss_kib status" of the fastest run
    sort -n "$work/$1.times" | head -n 1
  }
  draws() {  # the segments a document draws (its "x y L" lines)
    grep -c ' L$' "$work/$1.ps" || true
  }

  echo "$n $(best hide) $(best nohide) $(best load) $(wc -c <"$work/hide.ps")" \
    "$(wc -c <"$work/nohide.ps") $(draws hide) $(draws nohide)" | awk '{
    hw = $2; hc = $3; hr = $4; nw = $6; nc = $7; lw = $10; lc = $11
    printf "%d points, a 3-D curve (DO3DPLOT) in the Cartesian view\n", $1
    printf "  %-30s %8s %8s %9s %13s %10s\n", "", "wall s", "cpu s", "peak MiB", "document MiB",
      "segments"
    printf "  %-30s %8.4f %8.4f %9.0f %13.2f %10d\n", "HIDE, DO3DPLOT", hw, hc, hr / 1024,
      $14 / 1048576, $16
    printf "  %-30s %8.4f %8.4f %9s %13.2f %10d\n", "NOHIDE, DO3DPLOT", nw, nc, "", $15 / 1048576, $17
    printf "  %-30s %8.4f %8.4f\n", "LOAD alone", lw, lc
    printf "  %-30s %8.4f %8.4f  (%.0f ns a point)\n", "DO3DPLOT with HIDE alone", hw - lw, hc - lc,
      (hc - lc) / $1 * 1e9
    printf "  %-30s %8.4f %8.4f\n", "DO3DPLOT with NOHIDE alone", nw - lw, nc - lc
  }'
  rm -f "$dat"
done

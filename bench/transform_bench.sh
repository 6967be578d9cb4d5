#!/bin/sh
# The data transformations against floors measured in the same run:
#
#   DOSORT of SORT_ROWS points (default 10,000,000) by X: transform_floor
#     dosort (vexal's reader, then DOSORT's code) less transform_floor load,
#     against transform_floor sort (std::stable_sort of the (X, Y) pairs)
#     less transform_floor read. Target 2.
#   The transform of 2^20 points: transform_floor fft (vexal's butterflies)
#     less transform_floor complex, against transform_floor fftw
#     (fftw_plan_dft_1d, FFTW_ESTIMATE, plan and run) less the same. Target 5.
#     The whole DOFFT command, which also scales the spectrum and writes its
#     half as a free-format data file, is given beside it (LOAD, LOADFFT,
#     DOFFT less LOAD, LOADFFT).
#   DOBIN of BIN_ROWS points (default 10,000,000) into 1,000 bins and
#     DO3DBIN of CELL_ROWS points (default 1,000,000) into 100 x 100 cells:
#     each less LOAD alone, against LOAD alone less start-up. Target 3.
#   DOBIN of FINE_ROWS points (default 1,000,000) into the 1,000,000 bins of
#     DEFINEBIN 0 999.999 0.001, whose rounded edges overlap their
#     neighbours' by a unit in the last place: less LOAD and DEFINEBIN,
#     against LOAD alone less start-up. Target 3. DEFINEBIN (less LOAD) is
#     given beside it.
#
# The data are "$P" files made by `transform_floor generate` (X uniform, so
# that the sort has work to do). Each figure is the fastest of RUNS runs
# (default 5) of a whole process by `load_floor run` (wall time, CPU time,
# peak RSS), the programs taking turns, each run after reading a file of
# EVICT_MIB MiB (default 1024) so that it starts with cold processor caches.
#
# The binaries are build/src/vexal, build/bench/load_floor and
# build/bench/transform_floor unless VEXAL, LOAD_FLOOR and TRANSFORM_FLOOR name
# others. Without FFTW (libfftw3-dev) at build time the fftw figure is missing.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
vexal=${VEXAL:-$root/build/src/vexal}
floor=${LOAD_FLOOR:-$root/build/bench/load_floor}
tfloor=${TRANSFORM_FLOOR:-$root/build/bench/transform_floor}

for bin in "$vexal" "$floor" "$tfloor"; do
  if [ ! -x "$bin" ]; then
    echo "no binary at $bin: build first (ninja -C build vexal load_floor transform_floor)" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vexal-transform.XXXXXX")
trap 'rm -rf "$work"' EXIT
dd if=/dev/zero of="$work/evict" bs=1M count="${EVICT_MIB:-1024}" status=none

sort_rows=${SORT_ROWS:-10000000}
bin_rows=${BIN_ROWS:-10000000}
cell_rows=${CELL_ROWS:-1000000}
fine_rows=${FINE_ROWS:-1000000}
nfft=1048576
"$tfloor" generate "$sort_rows" 2 1000 "$work/sort.dat"
"$tfloor" generate "$nfft" 2 0 "$work/fft.dat"
if [ "$bin_rows" = "$sort_rows" ]; then
  ln -s "$work/sort.dat" "$work/bin.dat"
else
  "$tfloor" generate "$bin_rows" 2 1000 "$work/bin.dat"
fi
"$tfloor" generate "$cell_rows" 3 100 "$work/cell.dat"
"$tfloor" generate "$fine_rows" 2 1000 "$work/fine.dat"
cat "$work"/*.dat >/dev/null

script() {  # name, lines
  printf 'QUIET\nMAXP 20000000\n%bQUIT\n' "$2" >"$work/$1.vx"
}
script empty ""
script fftload "DATA $work/fft.dat\nNFFT $nfft\nLOAD\nLOADFFT\n"
script dofft "DATA $work/fft.dat\nNFFT $nfft\nLOAD\nLOADFFT\nDOFFT\n"
script binload "DATA $work/bin.dat\nLOAD\n"
script dobin "DATA $work/bin.dat\nLOAD\nDEFINEBIN 0.5 998.5 1\nDOBIN\n"
script fineload "DATA $work/fine.dat\nLOAD\n"
script finedef "DATA $work/fine.dat\nLOAD\nDEFINEBIN 0 999.999 0.001\n"
script finebin "DATA $work/fine.dat\nLOAD\nDEFINEBIN 0 999.999 0.001\nDOBIN\n"
script cellload "DATA $work/cell.dat\nZCOL 3\nLOAD\n"
script do3dbin "DATA $work/cell.dat\nZCOL 3\nLOAD\nARRAYXSCALE 100 0.5 1\nARRAYYSCALE 100 0.5 1\nDO3DBIN\n"

ps=$work/out.ps
cat >"$work/programs" <<EOF
read $tfloor read $work/sort.dat
sort $tfloor sort $work/sort.dat
load $tfloor load $work/sort.dat
dosort $tfloor dosort $work/sort.dat
complex $tfloor complex $work/fft.dat $nfft
fftw $tfloor fftw $work/fft.dat $nfft
fft $tfloor fft $work/fft.dat $nfft
empty $vexal -d -o $ps $work/empty.vx
fftload $vexal -d -o $ps $work/fftload.vx
dofft $vexal -d -o $ps $work/dofft.vx
binload $vexal -d -o $ps $work/binload.vx
dobin $vexal -d -o $ps $work/dobin.vx
fineload $vexal -d -o $ps $work/fineload.vx
finedef $vexal -d -o $ps $work/finedef.vx
finebin $vexal -d -o $ps $work/finebin.vx
cellload $vexal -d -o $ps $work/cellload.vx
do3dbin $vexal -d -o $ps $work/do3dbin.vx
EOF

for i in $(seq "${RUNS:-5}"); do
  while read -r label args; do
    # shellcheck disable=SC2086
    "$floor" run --evict "$work/evict" $args >>"$work/$label.times" 2>/dev/null || true
  done <"$work/programs"
done
best() {  # label: "wall cpu" of the fastest run, "nan nan" when none succeeded
  fastest=$(awk '$4 == 0' "$work/$1.times" 2>/dev/null | sort -n | head -n 1)
  echo "${fastest:-nan nan}" | awk '{ print $1, $2 }'
}

echo "$(best read) $(best sort) $(best load) $(best dosort) $(best complex) $(best fftw)" \
  "$(best fft) $(best empty) $(best fftload) $(best dofft) $(best binload) $(best dobin)" \
  "$(best cellload) $(best do3dbin) $(best fineload) $(best finedef)" \
  "$(best finebin)" |
  awk -v sr="$sort_rows" -v br="$bin_rows" -v cr="$cell_rows" -v nr="$fine_rows" '
  function row(name, w, c, fw, fc, target) {
    if (fw > 0 && fc > 0)
      printf "  %-40s %8.4f %8.4f %6.2f %6.2f  (target %s)\n", name, w, c, w / fw, c / fc, target
    else
      printf "  %-40s %8.4f %8.4f\n", name, w, c
  }
  {
    printf "  %-40s %8s %8s %14s\n", "", "wall s", "cpu s", "ratio wall/cpu"
    sw = $3 - $1; sc = $4 - $2; vw = $7 - $5; vc = $8 - $6
    printf "  %-40s %8.4f %8.4f\n", "stable_sort of " sr " pairs (floor)", sw, sc
    row("DOSORT of " sr " points", vw, vc, sw, sc, 2)
    fw = $11 - $9; fc = $12 - $10; xw = $13 - $9; xc = $14 - $10
    printf "  %-40s %8.4f %8.4f\n", "FFTW, 2^20 points, ESTIMATE (floor)", fw, fc
    row("vexal transform, 2^20 points", xw, xc, fw, fc, 5)
    row("DOFFT command (with its data file)", $19 - $17, $20 - $18, fw, fc, "-")
    lw = $21 - $15; lc = $22 - $16
    printf "  %-40s %8.4f %8.4f\n", "LOAD of " br " points", lw, lc
    row("DOBIN into 1000 bins", $23 - $21, $24 - $22, lw, lc, 3)
    mw = $25 - $15; mc = $26 - $16
    printf "  %-40s %8.4f %8.4f\n", "LOAD of " cr " points", mw, mc
    row("DO3DBIN into 100 x 100 cells", $27 - $25, $28 - $26, mw, mc, 3)
    nw = $29 - $15; nc = $30 - $16
    printf "  %-40s %8.4f %8.4f\n", "LOAD of " nr " points", nw, nc
    row("DEFINEBIN of 1000000 bins of 0.001", $31 - $29, $32 - $30, nw, nc, "-")
    row("DOBIN into those bins", $33 - $31, $34 - $32, nw, nc, 3)
  }'

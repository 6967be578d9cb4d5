#!/bin/sh
# The image: the release binary reading a plain PGM file and drawing it with
# SHOWIMAGE (into a document file) against gnuplot 5 drawing the same image
# (set terminal postscript, plot ... with image), side by side in one run.
#
#   bench/image_bench.sh [WIDTH HEIGHT]  (default 1440 1000)
#
# Two images (array_floor image): "smooth", two gradients, rings about three
# centres and a flat rectangle, so that runs of equal pixels are as long as
# in a picture; and "noise", every pixel drawn at random, the most a row can
# change. For each it runs these RUNS times (default 5), in turns, keeping
# the fastest run (the machine may be busy):
#
#   vexal        a grey colour table (256 DEFINECOL lines), PGM img.pgm,
#                SHOWIMAGE, QUIT
#   PGM alone    the same without SHOWIMAGE: reading the file, no drawing
#   gnuplot      plot 'img.bin' binary array=(W,H) format='%uchar' with image:
#                the pixels as bytes, gnuplot's fastest input here
#   gnuplot txt  plot 'img.txt' matrix with image: the pixels as text, as in
#                the PGM file
#
# Each figure is a whole process run by `load_floor run`, which reports wall
# time, CPU time (user + system) and peak RSS. The vexal command files begin
# with QUIET; each is run once first and the script stops if vexal reports
# anything. Target: vexal faster than gnuplot (the byte input) on both
# images.
#
# The binaries are build/src/vexal and build/bench/{load_floor,array_floor}
# unless VEXAL, LOAD_FLOOR and ARRAY_FLOOR name others; gnuplot is found on
# the PATH unless GNUPLOT names it (Debian: gnuplot-nox). Not on a sanitizer
# build.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
vexal=${VEXAL:-$root/build/src/vexal}
floor=${LOAD_FLOOR:-$root/build/bench/load_floor}
array_floor=${ARRAY_FLOOR:-$root/build/bench/array_floor}
gnuplot=${GNUPLOT:-gnuplot}
width=${1:-1440}
height=${2:-1000}

for bin in "$vexal" "$floor" "$array_floor"; do
  if [ ! -x "$bin" ]; then
    echo "no binary at $bin: build first (ninja -C build vexal load_floor array_floor)" >&2
    exit 1
  fi
done
if ! command -v "$gnuplot" >/dev/null 2>&1; then
  echo "no gnuplot: install it (scripts/install-deps.sh installs gnuplot-nox)" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vexal-image.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The colour table as a grey scale, entry k the grey k / 255, as gnuplot
# draws the image here (the table's entries are black until defined).
greys() {
  awk 'BEGIN { for (k = 0; k < 256; k++) printf "DEFINECOL %d %.4f %.4f %.4f\n", k, k / 255, k / 255, k / 255 }'
}

for kind in smooth noise; do
  "$array_floor" image "$width" "$height" "$kind" "$work"
  cat "$work/img.pgm" "$work/img.txt" "$work/img.bin" >/dev/null
  { printf 'QUIET\n'; greys; printf 'PGM %s\nSHOWIMAGE\nQUIT\n' "$work/img.pgm"; } >"$work/show.vx"
  { printf 'QUIET\n'; greys; printf 'PGM %s\nQUIT\n' "$work/img.pgm"; } >"$work/pgm.vx"
  for case in show pgm; do
    "$vexal" -d -o "$work/vexal.ps" "$work/$case.vx" >/dev/null 2>"$work/errors"
    if [ -s "$work/errors" ]; then
      echo "vexal reported on the $kind image:" >&2
      head -n 5 "$work/errors" >&2
      exit 1
    fi
  done
  binary="set terminal postscript; set output '$work/gnuplot.ps';"
  binary="$binary plot '$work/img.bin' binary array=($width,$height) format='%uchar' with image"
  text="set terminal postscript; set output '$work/text.ps'; plot '$work/img.txt' matrix with image"

  rm -f "$work"/*.times
  for _ in $(seq "${RUNS:-5}"); do
    "$floor" run "$vexal" -d -o "$work/vexal.ps" "$work/show.vx" >>"$work/vexal.times"
    "$floor" run "$vexal" -d -o "$work/pgm.ps" "$work/pgm.vx" >>"$work/pgm.times"
    "$floor" run "$gnuplot" -e "$binary" >>"$work/gnuplot.times"
    "$floor" run "$gnuplot" -e "$text" >>"$work/text.times"
  done
  best() {  # label: "wall cpu maxrss_kib status" of the fastest run
    sort -n "$work/$1.times" | head -n 1
  }

  echo "$width $height $kind $(best vexal) $(best pgm) $(best gnuplot) $(best text)" \
    "$(wc -c <"$work/vexal.ps") $(wc -c <"$work/gnuplot.ps") $(wc -c <"$work/text.ps")" \
    "$(wc -c <"$work/img.pgm")" | awk '{
    vw = $4; vc = $5; vr = $6; pw = $8; pc = $9; gw = $12; gc = $13; gr = $14
    tw = $16; tc = $17; tr = $18; vs = $20; gs = $21; ts = $22
    printf "%s image, %d x %d pixels (PGM file %.1f MiB)\n", $3, $1, $2, $23 / 1048576
    printf "  %-38s %8s %8s %9s %13s\n", "", "wall s", "cpu s", "peak MiB", "document MiB"
    printf "  %-38s %8.4f %8.4f %9.0f %13.2f\n", "vexal PGM, SHOWIMAGE, QUIT", vw, vc, vr / 1024, vs / 1048576
    printf "  %-38s %8.4f %8.4f\n", "vexal PGM alone", pw, pc
    printf "  %-38s %8.4f %8.4f %9.0f %13.2f\n", "gnuplot binary array, uchar", gw, gc, gr / 1024, gs / 1048576
    printf "  %-38s %8.4f %8.4f %9.0f %13.2f\n", "gnuplot matrix text", tw, tc, tr / 1024, ts / 1048576
    printf "  %-38s %8.2f %8.2f  (target below 1)\n", "ratio vexal / gnuplot binary", vw / gw, vc / gc
    printf "  %-38s %8.2f %8.2f\n", "ratio vexal / gnuplot text", vw / tw, vc / tc
  }'
done

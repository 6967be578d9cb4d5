#!/bin/bash
# Documents: how large the release binary's documents are and how quickly a
# reader shows them, with and without --compact, beside GMT's and gnuplot's
# documents of the same data, side by side in one run.
#
#   bench/document_bench.sh [JOB...]   (default: plot cont ccont smooth noise surf)
#
# The jobs (data made by load_floor and array_floor, not timed):
#
#   plot     1,000,000 rows (time, a noisy signal): DATA, PLOT; GMT psxy
#            -W0.25p over the data's extent; gnuplot plot ... with lines
#   cont     a 1000 x 1000 field (two hills, two hollows): RAWARRAY,
#            CONTOURSTEP 8, CONT (25 labelled levels); GMT grdcontour -C8
#            -A8; gnuplot's contour of the same levels
#   ccont    the same field: RAWARRAY, CCONT; GMT grdimage with ten greys
#   smooth   a 1440 x 1000 picture (gradients, rings, a flat rectangle):
#            a grey colour table, PGM, SHOWIMAGE; GMT grdimage of the same
#            pixels with a 256-grey table; gnuplot plot ... with image
#   noise    the same with every pixel drawn at random
#   surf     a 500 x 500 field: RAWARRAY, CARTESIAN, 3DROT -60 0 -30, SURF;
#            GMT grdview -Qm; gnuplot splot with hidden3d
#
# For every document it gives its size, the time Ghostscript takes to render
# it into a 150-dpi PNG (the fastest of RENDER_RUNS, default 3, the
# documents taking turns; Ghostscript's own start-up, rendering an empty
# page, is given once for reference) and the size of the PDF Ghostscript
# makes of it (pdfwrite). Targets with --compact: each document at most the
# best peer's size (contours 2.5 x GMT's, which thins its lines; the line
# plot 0.5 MB), rendered in at most the best peer's time, and its PDF at
# most the best peer's.
#
# The binaries are build/src/vexal and build/bench/{load_floor,array_floor}
# unless VEXAL, LOAD_FLOOR and ARRAY_FLOOR name others; gmt, gnuplot and gs
# are found on the PATH unless GMT, GNUPLOT and GS name them (Debian: gmt,
# gnuplot-nox, ghostscript). Not on a sanitizer build.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
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
gs=${GS:-gs}
render_runs=${RENDER_RUNS:-3}

for bin in "$vexal" "$floor" "$array_floor"; do
  if [ ! -x "$bin" ]; then
    echo "no binary at $bin: build first (ninja -C build vexal load_floor array_floor)" >&2
    exit 1
  fi
done
for tool in "$gmt" "$gnuplot" "$gs"; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "no $tool: install it (Debian: apt-get install gmt gnuplot-nox ghostscript)" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vexal-documents.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"  # gmt writes its history file into the current directory

# vexal LABEL COMMANDS: runs the command text twice, into LABEL.ps and, with
# --compact, into LABEL-compact.ps; stops when vexal reports anything.
vexal_documents() {
  printf '%b' "QUIET\n$2\nQUIT\n" >"$work/$1.vx"
  for option in "" --compact; do
    out=$work/$1${option:+-compact}.ps
    # shellcheck disable=SC2086
    "$vexal" -d $option -o "$out" "$work/$1.vx" >/dev/null 2>"$work/errors" || true
    if [ -s "$work/errors" ] || [ ! -s "$out" ]; then
      echo "vexal reported on $1.vx ${option}:" >&2
      head -n 5 "$work/errors" >&2
      exit 1
    fi
  done
}

# The grey colour table of the images: entry k the grey k / 255.
greys() {
  awk 'BEGIN { for (k = 0; k < 256; k++) printf "DEFINECOL %d %.4f %.4f %.4f\\n", k, k / 255, k / 255, k / 255 }'
}

# The fastest of RENDER_RUNS renderings of each document named, in turns.
render_times() {
  rm -f "$work"/*.render
  for _ in $(seq "$render_runs"); do
    for doc in "$@"; do
      "$floor" run "$gs" -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=png16m -r150 \
        -sOutputFile="$work/page.png" "$work/$doc.ps" | awk '{ print $1 }' >>"$work/$doc.render"
    done
  done
}

# One row: label, document MiB, render seconds, PDF MiB.
row() {
  "$gs" -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -sOutputFile="$work/doc.pdf" \
    "$work/$2.ps" >/dev/null 2>&1 || : >"$work/doc.pdf"
  printf '  %-28s %12.3f %10.3f %10.3f\n' "$1" "$(wc -c <"$work/$2.ps" | awk '{ print $1 / 1048576 }')" \
    "$(sort -n "$work/$2.render" | head -n 1)" \
    "$(wc -c <"$work/doc.pdf" | awk '{ print $1 / 1048576 }')"
}

# The table of a job: vexal, vexal --compact and the peers given as LABEL=DOC.
report() {
  title=$1
  shift
  docs="$1 $1-compact"
  for peer in "${@:2}"; do docs="$docs ${peer#*=}"; done
  # shellcheck disable=SC2086
  render_times $docs
  echo "$title"
  printf '  %-28s %12s %10s %10s\n' "" "document MiB" "render s" "PDF MiB"
  row vexal "$1"
  row "vexal --compact" "$1-compact"
  for peer in "${@:2}"; do row "${peer%%=*}" "${peer#*=}"; done
}

printf 'showpage\n' >"$work/empty.ps"
render_times empty
echo "Ghostscript rendering an empty page: $(sort -n "$work/empty.render" | head -n 1) s"

[ $# -gt 0 ] || set -- plot cont ccont smooth noise surf
for job in "$@"; do
  case $job in
    plot)
      "$floor" generate 1000000 "$work/plot.txt" "$work/plot.dat" >/dev/null
      vexal_documents plot "DATA $work/plot.txt\nPLOT"
      region=$("$gmt" info -I- "$work/plot.txt")
      "$gmt" psxy "$work/plot.txt" "$region" -JX6i/6i -W0.25p -P >"$work/plot-gmt.ps"
      "$gnuplot" -e "set terminal postscript; set output '$work/plot-gnuplot.ps';
        unset key; plot '$work/plot.txt' using 1:2 with lines"
      report "DATA + PLOT, 1,000,000 points" plot "gmt psxy=plot-gmt" "gnuplot=plot-gnuplot"
      ;;
    cont | ccont | surf)
      n=1000
      [ "$job" = surf ] && n=500
      "$array_floor" surface "$n" "$work" >/dev/null
      "$gmt" xyz2grd "$work/surface.xyz" -R1/"$n"/1/"$n" -I1 -G"$work/grid.nc"
      grid="$work/grid.nc -R1/$n/1/$n -JX6i/6i"
      case $job in
        cont)
          vexal_documents cont "RAWARRAY $work/surface.raw\nCONTOURSTEP 8\nCONT"
          # shellcheck disable=SC2086
          "$gmt" grdcontour $grid -C8 -A8 -P >"$work/cont-gmt.ps"
          "$gnuplot" -e "set terminal postscript portrait; set output '$work/cont-gnuplot.ps';
            set contour base; unset surface; set view map; unset key;
            set cntrparam levels incremental -96,8,96;
            splot '$work/surface.txt' matrix with lines"
          report "CONT $n x $n, 25 levels" cont "gmt grdcontour=cont-gmt" "gnuplot=cont-gnuplot"
          ;;
        ccont)
          vexal_documents ccont "RAWARRAY $work/surface.raw\nCCONT"
          "$gmt" makecpt -Cgray -T-100/100/20 >"$work/grey.cpt"
          # shellcheck disable=SC2086
          "$gmt" grdimage $grid -C"$work/grey.cpt" -P >"$work/ccont-gmt.ps"
          report "CCONT $n x $n" ccont "gmt grdimage=ccont-gmt"
          ;;
        surf)
          vexal_documents surf "RAWARRAY $work/surface.raw\nCARTESIAN\n3DROT -60 0 -30\nSURF"
          # shellcheck disable=SC2086
          "$gmt" grdview $grid -JZ4i -p150/30 -Qm -Wm0.25p -P >"$work/surf-gmt.ps"
          "$gnuplot" -e "set terminal postscript portrait; set output '$work/surf-gnuplot.ps';
            set hidden3d; set view 60,30; unset key; unset border; unset tics;
            splot '$work/surface.txt' matrix with lines"
          report "SURF $n x $n, hidden lines" surf "gmt grdview=surf-gmt" "gnuplot=surf-gnuplot"
          ;;
      esac
      ;;
    smooth | noise)
      w=1440 h=1000
      "$array_floor" image "$w" "$h" "$job" "$work"
      vexal_documents "$job" "$(greys)PGM $work/img.pgm\nSHOWIMAGE"
      # The text matrix holds the bottom row first: row r is y = r + 1.
      awk '{ for (x = 1; x <= NF; x++) print x, NR, $x }' "$work/img.txt" >"$work/img.xyz"
      "$gmt" xyz2grd "$work/img.xyz" -R1/"$w"/1/"$h" -I1 -G"$work/img.nc"
      "$gmt" makecpt -Cgray -T0/255/1 >"$work/grey256.cpt"
      "$gmt" grdimage "$work/img.nc" -R1/"$w"/1/"$h" -JX7.2i/5i -C"$work/grey256.cpt" -P \
        >"$work/$job-gmt.ps"
      "$gnuplot" -e "set terminal postscript; set output '$work/$job-gnuplot.ps'; unset key;
        plot '$work/img.bin' binary array=($w,$h) format='%uchar' with image"
      report "SHOWIMAGE $w x $h, $job" "$job" "gmt grdimage=$job-gmt" "gnuplot=$job-gnuplot"
      ;;
    *)
      echo "unknown job $job: plot, cont, ccont, smooth, noise or surf" >&2
      exit 2
      ;;
  esac
done

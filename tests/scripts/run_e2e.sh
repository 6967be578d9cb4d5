#!/bin/bash
# End-to-end tests: runs the vexal binary on every command file NAME.vx in
# this folder and checks what it printed and the document it wrote.
#
#   run_e2e.sh PATH-TO-VEXAL [NAME...]
#
# Each script runs in a fresh temporary directory that is also HOME, so no
# start-up file of the user is read, as
#   vexal -o out.ps [ARGS...] NAME.vx
# with standard input from /dev/null. Files beside NAME.vx:
#   NAME.out    expected standard output (exact)
#   NAME.err    expected standard error (exact)
#   NAME.comments  expected "%! " comment lines of out.ps after the prolog:
#               the command lines the program ran, one each (exact)
#   NAME.args   extra arguments, one per line, put before NAME.vx
#   NAME.stdin  fed as standard input instead of /dev/null
#   NAME.noarg  NAME.vx is not passed (the commands come from NAME.stdin)
#   NAME.files/ copied into the directory first (dot files too)
#   baselines/NAME.pgm.gz  the expected picture: the script is run again
#               without page stamps (-q -t) and its page, rendered in grey
#               at 40 dots per inch, must match within a small root-mean-square
#               difference (scripts/update-baselines.sh writes these); and
#               once more with --compact, to match the same baseline
# Every run must exit with status 0 and leave out.ps with the two 72-byte
# header lines, the bounding box filled in, and Ghostscript must render it
# without an error. A separate check runs "vexal -s" and "vexal -o -" with
# the document on standard output.
set -u

if [ $# -lt 1 ]; then
  echo "usage: $0 PATH-TO-VEXAL [NAME...]" >&2
  exit 2
fi
vexal=$(realpath "$1")
shift
here=$(cd "$(dirname "$0")" && pwd)
timeout_s=${VEXAL_E2E_TIMEOUT:-120}

if [ ! -x "$vexal" ]; then
  echo "run_e2e: no executable at $vexal" >&2
  exit 2
fi

passed=0
failed=0
work_root=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/vexal-e2e.XXXXXX")")
trap 'rm -rf "$work_root"' EXIT

# fail NAME MESSAGE...: records a failure; details are already printed.
fail() {
  local name=$1
  shift
  echo "FAIL $name:$*"
  failed=$((failed + 1))
}

ok() {
  echo "ok   $1"
  passed=$((passed + 1))
}

# compare NAME WHAT EXPECTED ACTUAL: exact comparison, a diff when different.
compare() {
  if cmp -s "$3" "$4"; then
    return 0
  fi
  echo "--- $1: $2 differs (expected vs actual):"
  diff -u "$3" "$4" | sed -n '1,60p'
  return 1
}

# render NAME FILE: Ghostscript must read the document without any error.
render() {
  local log
  log=$(gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage "$2" 2>&1 </dev/null)
  local rc=$?
  if [ $rc -ne 0 ] || grep -q 'Error' <<<"$log"; then
    echo "--- $1: Ghostscript (exit status $rc) said:"
    sed -n '1,30p' <<<"$log"
    return 1
  fi
  return 0
}

# Pictures: grey levels at 40 dots per inch; a difference of one pixel in the
# position of an axis gives a root-mean-square difference of more than 10
# grey levels, while the same program and Ghostscript give 0.
picture_dpi=40
picture_tolerance=${VEXAL_PICTURE_TOLERANCE:-1.0}

# render_picture DOC PGM: the first page of DOC as a raw grey map.
render_picture() {
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pgmraw -r"$picture_dpi" -dFirstPage=1 -dLastPage=1 \
    -sOutputFile="$2" "$1" </dev/null >/dev/null 2>&1
}

# picture_rms A B: the root-mean-square difference of two grey maps of the
# same size; fails when their headers (size included) differ.
picture_rms() {
  local size
  size=$(stat -c %s "$1")
  if [ "$size" -ne "$(stat -c %s "$2")" ] || ! cmp -s <(head -n 4 "$1") <(head -n 4 "$2"); then
    return 1
  fi
  # cmp -l lists every differing byte with both values in octal.
  cmp -l "$1" "$2" | awk -v n="$size" '
    function oct(s,  v, i) { v = 0; for (i = 1; i <= length(s); i++) v = v * 8 + substr(s, i, 1); return v }
    { d = oct($2) - oct($3); sum += d * d }
    END { printf "%.2f", sqrt(sum / n) }'
}

# The comparison must see a page moved by one pixel: the baseline of the
# first gallery script against itself shifted one byte along its rows.
check_picture_comparison() {
  local baseline
  baseline=$(ls "$here"/baselines/*.pgm.gz 2>/dev/null | head -n 1)
  [ -n "$baseline" ] || return 0
  local dir="$work_root/picture-check"
  mkdir -p "$dir"
  gzip -dc "$baseline" >"$dir/a.pgm"
  local header
  header=$(head -n 4 "$dir/a.pgm" | wc -c)
  { head -c "$header" "$dir/a.pgm"; printf '\377'; tail -c +"$((header + 1))" "$dir/a.pgm" |
    head -c -1; } >"$dir/b.pgm"
  local rms
  rms=$(picture_rms "$dir/a.pgm" "$dir/b.pgm")
  if awk -v r="$rms" -v t="$picture_tolerance" 'BEGIN { exit !(r > t) }'; then
    ok picture-comparison
  else
    echo "--- picture-comparison: a page moved by one pixel gives rms $rms, within tolerance"
    fail picture-comparison " blind"
  fi
}

# compare_picture NAME DIR [FLAG]: the stamp-free page, written with FLAG
# when one is given, against baselines/NAME.pgm.gz.
compare_picture() {
  local name=$1 dir=$2 flag=${3:-}
  local baseline="$here/baselines/$name.pgm.gz"
  [ -f "$baseline" ] || return 0
  local picture="picture${flag:+-${flag#--}}"
  (cd "$dir" && HOME="$dir" timeout "$timeout_s" "$vexal" -q -t $flag -o "$picture.ps" \
    "$name.vx" </dev/null >/dev/null 2>&1)
  render "$name $flag" "$dir/$picture.ps" || return 1
  if ! render_picture "$dir/$picture.ps" "$dir/$picture.pgm"; then
    echo "--- $name $flag: the picture could not be rendered"
    return 1
  fi
  gzip -dc "$baseline" >"$dir/baseline.pgm"
  local rms
  if ! rms=$(picture_rms "$dir/baseline.pgm" "$dir/$picture.pgm"); then
    echo "--- $name $flag: the picture's size differs from the baseline's"
    return 1
  fi
  if awk -v r="$rms" -v t="$picture_tolerance" 'BEGIN { exit !(r > t) }'; then
    local kept="${TMPDIR:-/tmp}/vexal-$name-$picture.pgm"
    echo "--- $name $flag: the picture differs from baselines/$name.pgm.gz (rms $rms grey" \
      "levels, tolerance $picture_tolerance); the page is kept as $kept"
    cp "$dir/$picture.pgm" "$kept"
    return 1
  fi
  return 0
}

# check_header NAME FILE: the first two lines are 72 bytes each and the
# second holds the final bounding box.
check_header() {
  local len1 len2 line2
  len1=$(head -n 1 "$2" | wc -c)
  len2=$(head -n 2 "$2" | tail -n 1 | wc -c)
  line2=$(head -n 2 "$2" | tail -n 1)
  if [ "$len1" -ne 72 ] || [ "$len2" -ne 72 ]; then
    echo "--- $1: header lines are $len1 and $len2 bytes, not 72"
    return 1
  fi
  if [[ "$line2" != "%%BoundingBox:"* ]] || [[ "$line2" == *"(atend)"* ]]; then
    echo "--- $1: second line is not a final bounding box: $line2"
    return 1
  fi
  return 0
}

# run_script NAME: one command file with its expectations.
run_script() {
  local name=$1
  local dir="$work_root/$name"
  mkdir -p "$dir"
  cp "$here/$name.vx" "$dir/"
  if [ -d "$here/$name.files" ]; then
    cp -R "$here/$name.files/." "$dir/"
  fi

  local -a args=(-o out.ps)
  if [ -f "$here/$name.args" ]; then
    local arg
    while IFS= read -r arg || [ -n "$arg" ]; do
      args+=("$arg")
    done <"$here/$name.args"
  fi
  if [ ! -f "$here/$name.noarg" ]; then
    args+=("$name.vx")
  fi
  local input=/dev/null
  if [ -f "$here/$name.stdin" ]; then
    input="$here/$name.stdin"
  fi

  local rc
  (cd "$dir" && HOME="$dir" timeout "$timeout_s" "$vexal" "${args[@]}" \
    <"$input" >"$work_root/$name.stdout" 2>"$work_root/$name.stderr")
  rc=$?

  local bad=""
  if [ $rc -ne 0 ]; then
    echo "--- $name: exit status $rc; standard error:"
    sed -n '1,30p' "$work_root/$name.stderr"
    bad="$bad exit-status"
  fi
  if [ -f "$here/$name.out" ] &&
    ! compare "$name" stdout "$here/$name.out" "$work_root/$name.stdout"; then
    bad="$bad stdout"
  fi
  if [ -f "$here/$name.err" ] &&
    ! compare "$name" stderr "$here/$name.err" "$work_root/$name.stderr"; then
    bad="$bad stderr"
  fi
  if [ ! -f "$dir/out.ps" ]; then
    echo "--- $name: no out.ps written"
    bad="$bad no-document"
  else
    check_header "$name" "$dir/out.ps" || bad="$bad header"
    if [ -f "$here/$name.comments" ]; then
      awk 'done && /^%! / { print } /^%! End definitions/ { done = 1 }' \
        "$dir/out.ps" >"$work_root/$name.comments"
      compare "$name" "document comments" "$here/$name.comments" \
        "$work_root/$name.comments" || bad="$bad comments"
    fi
    render "$name" "$dir/out.ps" || bad="$bad ghostscript"
    compare_picture "$name" "$dir" || bad="$bad picture"
    compare_picture "$name" "$dir" --compact || bad="$bad compact-picture"
  fi

  if [ -n "$bad" ]; then
    fail "$name" "$bad"
  else
    ok "$name"
  fi
}

# run_stdout_document NAME FLAG...: with the document on standard output,
# standard output holds the document and nothing else: no banner, prompt or
# echo, the bounding box stays "(atend)" in the header (the trailer has it).
run_stdout_document() {
  local name=$1
  shift
  local dir="$work_root/$name"
  mkdir -p "$dir"
  local rc
  (cd "$dir" && printf 'ECHO not shown\nQUIT\n' |
    HOME="$dir" timeout "$timeout_s" "$vexal" "$@" >doc.ps 2>stderr.txt)
  rc=$?

  local bad=""
  local doc="$dir/doc.ps"
  if [ $rc -ne 0 ]; then
    echo "--- $name: exit status $rc"
    bad="$bad exit-status"
  fi
  if [ -s "$dir/stderr.txt" ]; then
    echo "--- $name: unexpected standard error:"
    sed -n '1,10p' "$dir/stderr.txt"
    bad="$bad stderr"
  fi
  local line1 line2 last len1 len2
  line1=$(head -n 1 "$doc")
  line2=$(head -n 2 "$doc" | tail -n 1)
  last=$(grep -v '^ *$' "$doc" | tail -n 1 | sed 's/ *$//')
  len1=$(head -n 1 "$doc" | wc -c)
  len2=$(head -n 2 "$doc" | tail -n 1 | wc -c)
  if [[ "$line1" != "%!PS-Adobe-2.0"* ]]; then
    echo "--- $name: standard output does not start with %!PS-Adobe-2.0: $line1"
    bad="$bad first-line"
  fi
  if [[ "$line2" != "%%BoundingBox:"*"(atend)"* ]]; then
    echo "--- $name: second line is not the (atend) bounding box: $line2"
    bad="$bad second-line"
  fi
  if [ "$len1" -ne 72 ] || [ "$len2" -ne 72 ]; then
    echo "--- $name: header lines are $len1 and $len2 bytes, not 72"
    bad="$bad header"
  fi
  if [ "$last" != "%%EOF" ]; then
    echo "--- $name: standard output does not end with %%EOF: $last"
    bad="$bad last-line"
  fi
  # The banner, the file notice, the prompt and the ECHO text must not appear.
  local stray
  # shellcheck disable=SC2016
  stray=$(grep -e '^Vexal version' -e 'PostScript output is to' -e '\$VEXAL: ' \
    -e '^not shown' "$doc")
  if [ -n "$stray" ]; then
    echo "--- $name: terminal text on standard output:"
    sed -n '1,10p' <<<"$stray"
    bad="$bad terminal-text"
  fi
  if ! grep -q '^%%BoundingBox:  ' "$doc"; then
    echo "--- $name: no bounding box in the trailer"
    bad="$bad trailer"
  fi
  render "$name" "$doc" || bad="$bad ghostscript"

  if [ -n "$bad" ]; then
    fail "$name" "$bad"
  else
    ok "$name"
  fi
}

if [ $# -gt 0 ]; then
  names=("$@")
else
  names=()
  for vx in "$here"/*.vx; do
    [ -e "$vx" ] || continue
    names+=("$(basename "$vx" .vx)")
  done
fi

for name in "${names[@]}"; do
  case $name in
  stdout-s) run_stdout_document stdout-s -s ;;
  stdout-o-dash) run_stdout_document stdout-o-dash -o - ;;
  *) run_script "$name" ;;
  esac
done
if [ $# -eq 0 ]; then
  check_picture_comparison
  run_stdout_document stdout-s -s
  run_stdout_document stdout-o-dash -o -
fi

# A document that cannot be written (a full device, as a file or as standard
# output) is reported once on standard error and the exit status is 1.
# run_unwritable_document NAME STDOUT MESSAGE FLAG...
run_unwritable_document() {
  local name=$1 stdout=$2 want=$3
  shift 3
  local dir="$work_root/$name"
  mkdir -p "$dir"
  local rc
  (cd "$dir" && printf 'DRAW 1 1\nQUIT\n' |
    HOME="$dir" timeout "$timeout_s" "$vexal" -d "$@" >"$stdout" 2>stderr.txt)
  rc=$?
  if [ $rc -eq 1 ] && [ "$(cat "$dir/stderr.txt")" == "$want" ]; then
    ok "$name"
  else
    echo "--- $name: exit status $rc; standard error:"
    sed -n '1,10p' "$dir/stderr.txt"
    fail "$name" " unreported-failure"
  fi
}
if [ $# -eq 0 ] && [ -w /dev/full ]; then
  run_unwritable_document full-file /dev/null \
    "Error writing the PostScript output file /dev/full: No space left on device" -q -o /dev/full
  run_unwritable_document full-stdout /dev/full \
    "Error writing the PostScript output to standard output: No space left on device" -s
fi

echo "end_to_end: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

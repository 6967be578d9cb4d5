#!/bin/bash
# Replays session inputs through the real program: every file of the given
# folders (default: the session fuzzer's seeds) is typed at the terminal of
#   vexal -q -S -d -o out.ps
# in a fresh directory with shell commands off. Every run must end within the
# time limit without a crash, and Ghostscript must accept every document (one
# Ghostscript run for all of them; a failure is then narrowed to its input).
#
#   replay_corpus.sh PATH-TO-VEXAL [FOLDER...]
set -u

if [ $# -lt 1 ]; then
  echo "usage: $0 PATH-TO-VEXAL [FOLDER...]" >&2
  exit 2
fi
vexal=$(realpath "$1")
shift
here=$(cd "$(dirname "$0")" && pwd)
folders=("$@")
[ ${#folders[@]} -eq 0 ] && folders=("$here/../../fuzz/corpus/session")
timeout_s=${VEXAL_REPLAY_TIMEOUT:-20}

work=$(mktemp -d "${TMPDIR:-/tmp}/vexal-replay.XXXXXX")
trap 'rm -rf "$work"' EXIT

failed=0
runs=0
docs=()
inputs=()
for folder in "${folders[@]}"; do
  for input in "$folder"/*; do
    [ -f "$input" ] || continue
    runs=$((runs + 1))
    dir="$work/$runs"
    mkdir -p "$dir"
    (cd "$dir" && HOME="$dir" timeout -k 5 "$timeout_s" "$vexal" -q -S -d -o out.ps \
      <"$input" >/dev/null 2>&1)
    rc=$?
    if [ $rc -ne 0 ] && [ $rc -ne 1 ]; then
      echo "FAIL $input: exit status $rc (124: did not end; above 128: a signal)"
      failed=$((failed + 1))
    elif [ ! -s "$dir/out.ps" ]; then
      echo "FAIL $input: no document"
      failed=$((failed + 1))
    else
      docs+=("$dir/out.ps")
      inputs+=("$input")
    fi
  done
done

# render FILE...: true when Ghostscript reads them all without an error.
render() {
  local log
  log=$(gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage "$@" 2>&1 </dev/null)
  [ $? -eq 0 ] && ! grep -q 'Error' <<<"$log"
}
if [ ${#docs[@]} -gt 0 ] && ! render "${docs[@]}"; then
  for i in "${!docs[@]}"; do
    if ! render "${docs[$i]}"; then
      echo "FAIL ${inputs[$i]}: Ghostscript rejects its document"
      failed=$((failed + 1))
    fi
  done
fi

echo "replay_corpus: $runs inputs, $failed failed"
[ "$failed" -eq 0 ]

#!/bin/sh
# The test command: installs what is missing, then builds and tests vexal
# twice, a normal build in build/ and an AddressSanitizer/UBSan build in
# build-asan/. Safe to run again: each step only redoes what changed.
# Exits non-zero if either build or any test fails.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

sh scripts/install-deps.sh

# configure DIR ARGS...: configures DIR with Ninja, starting afresh when an
# earlier configuration of DIR used another generator.
configure() {
  dir=$1
  shift
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$dir/CMakeCache.txt"; then
    rm -rf "$dir"
  fi
  cmake -S . -B "$dir" -G Ninja "$@"
}

# build_and_test NAME DIR CMAKE-ARGS...: configures, builds and runs ctest.
build_and_test() {
  name=$1
  dir=$2
  shift 2
  echo "=== $name build in $dir"
  configure "$dir" "$@" || return 1
  ninja -C "$dir" -j2 || return 1
  echo "=== $name tests"
  (cd "$dir" && ctest --output-on-failure --no-tests=error -j2)
}

status=0
echo "=== source checks"
sh scripts/check-source.sh || status=1

build_and_test normal build -DCMAKE_BUILD_TYPE=RelWithDebInfo || status=1

# Sanitizer reports end the failing process with a non-zero status.
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
export ASAN_OPTIONS UBSAN_OPTIONS
build_and_test sanitizer build-asan -DCMAKE_BUILD_TYPE=Debug -DVEXAL_SANITIZE=ON || status=1

# Fuzzing: each libFuzzer target runs a fixed number of inputs (about 20 s
# each here) from its seed corpus (fuzz/corpus/<target>, copied so the tree
# stays as it is), with a fixed seed, so that a run is repeatable: the same
# sources give the same inputs. VEXAL_FUZZ_SCALE multiplies the counts.
fuzz_scale=${VEXAL_FUZZ_SCALE:-1}
fuzz_runs() {
  case $1 in
    stak_math_fuzz) echo $((300000 * fuzz_scale)) ;;
    *) echo $((20000 * fuzz_scale)) ;;
  esac
}
echo "=== fuzz build in build-fuzz"
if configure build-fuzz -DVEXAL_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
     -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ &&
   ninja -C build-fuzz -j2; then
  for target in build-fuzz/fuzz/*_fuzz; do
    name=$(basename "$target")
    corpus=$(mktemp -d)
    seeds="fuzz/corpus/${name%_fuzz}"
    [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
    runs=$(fuzz_runs "$name")
    echo "=== fuzzing $name: $runs inputs"
    if ! "$target" -seed=1 -runs="$runs" -timeout=60 -max_len=4096 -print_final_stats=0 \
         "$corpus" > "$corpus.log" 2>&1; then
      tail -40 "$corpus.log"
      echo "fuzz target $name FAILED"
      status=1
    fi
    rm -rf "$corpus" "$corpus.log"
  done
else
  echo "fuzz build FAILED"
  status=1
fi

if [ "$status" -ne 0 ]; then
  echo "build-and-test: FAILED"
else
  echo "build-and-test: all builds and tests passed"
fi
exit "$status"

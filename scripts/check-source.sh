#!/bin/sh
# Source checks of the test command: every C++ file is formatted as
# .clang-format says, and every source folder includes only the folders its
# library links (the *_commands.cc handlers, built into the interpreter
# library, and the interpreter itself may include any folder), and only
# those see the session.
# Exits non-zero, naming the files, when a check fails.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

status=0
files=$(git ls-files '*.cc' '*.h' 2>/dev/null || find src tests fuzz bench -name '*.cc' -o -name '*.h')
# shellcheck disable=SC2086
if ! clang-format --dry-run -Werror $files; then
  echo "check-source: files above are not formatted (run clang-format -i on them)"
  status=1
fi

# The folders each folder may include besides itself, as src/CMakeLists.txt links them.
allowed() {
  case $1 in
  util) echo "" ;;
  postscript) echo "util" ;;
  expr) echo "util" ;;
  axes) echo "postscript expr util" ;;
  data) echo "expr util" ;;
  threed) echo "axes postscript expr util" ;;
  *) echo "*" ;;
  esac
}
for dir in src/*/; do
  folder=$(basename "$dir")
  ok=$(allowed "$folder")
  [ "$ok" = "*" ] && continue
  for f in "$dir"*.cc "$dir"*.h; do
    [ -e "$f" ] || continue
    case $f in *_commands.cc) continue ;; esac
    for used in $(sed -n 's|^#include "\([a-z]*\)/.*|\1|p' "$f" | sort -u); do
      [ "$used" = "$folder" ] && continue
      case " $ok " in *" $used "*) ;; *)
        echo "check-source: $f includes $used/, which the $folder library does not link"
        status=1
        ;;
      esac
    done
  done
done
# Only the interpreter and the command files see the whole session: a
# routine below them that takes it belongs in one of them.
for f in $(grep -l 'struct Session;' src/*/*.h src/*/*.cc 2>/dev/null); do
  case $f in src/interp/* | *_commands.cc) continue ;; esac
  echo "check-source: $f declares Session, which only src/interp and the command files may see"
  status=1
done
[ "$status" -eq 0 ] && echo "check-source: formatting and folder includes are in order"
exit "$status"

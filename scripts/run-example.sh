#!/bin/sh
# Installs what is missing, builds vexal (build/) and runs the example
# command file examples/first.vx, which writes the document first.ps in the
# repository root.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

sh scripts/install-deps.sh

if [ -f build/CMakeCache.txt ] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' build/CMakeCache.txt; then
  rm -rf build
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
ninja -C build -j2 vexal

echo "=== running: build/src/vexal -o first.ps examples/first.vx"
build/src/vexal -o first.ps examples/first.vx

echo
echo "The PostScript document is $root/first.ps"
echo "To turn it into a PNG image (100 dots per inch) with Ghostscript:"
echo "  cd $root && gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r100 -sOutputFile=first.png first.ps"

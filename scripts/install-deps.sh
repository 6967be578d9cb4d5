#!/bin/sh
# Installs, from Debian's packages, whatever vexal needs to build and test
# that this machine does not have yet. A machine that has everything pays
# only for the dpkg queries.
set -eu

# gnuplot-nox: the reference program of the plotting benchmark (bench/plot_bench.sh).
# clang-format: the formatting check of the test command (scripts/check-source.sh).
# libnetcdf-dev: the NETCDF commands; netcdf-bin: ncgen, which their tests use.
# zlib1g-dev: the compressed images of --compact documents.
packages="g++ cmake make ninja-build libgtest-dev ghostscript clang libclang-rt-14-dev clang-format gnuplot-nox libnetcdf-dev netcdf-bin libedit-dev zlib1g-dev"

missing=""
for p in $packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -n "$missing" ]; then
  echo "installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing
fi

#!/bin/sh
# Builds the item tree benchmark with optimisation in build-release and runs it.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$root/build-release" -DCMAKE_BUILD_TYPE=Release >/dev/null
make -j"${JOBS:-1}" -C "$root/build-release" run_bench_itemtree

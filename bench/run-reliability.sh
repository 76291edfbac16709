#!/bin/sh
# Builds the reliability benchmarks with optimisation in build-release and runs
# them: the row-version trigger's cost and the atomicity trials.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$root/build-release" -DCMAKE_BUILD_TYPE=Release >/dev/null
make -j"${JOBS:-1}" -C "$root/build-release" run_bench_rowversion run_bench_atomicity

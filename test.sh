#!/usr/bin/env bash
# Installs what is missing, builds, and runs every suite against a private
# PostgreSQL server that the run starts and stops itself.
set -euo pipefail
cd "$(dirname "$0")"
source platform/setup-build.sh

cd build
ctest --output-on-failure -j2 --timeout 600 "$@"

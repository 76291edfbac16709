#!/usr/bin/env bash
# Installs what is missing, builds, and opens the shell. With no database
# configured it starts the user's private PostgreSQL server, creates the
# database with demo data on first start (answer OK), and asks for a login.
set -euo pipefail
cd "$(dirname "$0")"
source platform/setup-build.sh

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "No display found: running off-screen (use --no-gui or --screenshot FILE)." >&2
    export QT_QPA_PLATFORM=offscreen
fi
exec build/bin/workplace "$@"

#!/usr/bin/env bash
# Installs what is missing, builds, and opens the shell. With no database
# configured it starts the user's private PostgreSQL server, creates the
# database with demo data on first start (answer OK), and asks for a login.
set -euo pipefail
cd "$(dirname "$0")"

# Without a display the shell runs off-screen, where a login dialog or a
# question would wait for an answer nobody can give: only runs that ask
# nothing may go on.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    asks_nothing=false has_user=false has_password=false screenshot=false demo=false
    [[ -n "${WORKPLACE_PASSWORD:-}" ]] && has_password=true
    for argument in "$@"; do
        case "$argument" in
            --no-gui|-h|--help|--help-all|--list-windows) asks_nothing=true ;;
            --user|--user=*) has_user=true ;;
            --password|--password=*|--password-file|--password-file=*) has_password=true ;;
            --screenshot|--screenshot=*) screenshot=true ;;
            --widgets-demo) demo=true ;;
        esac
    done
    if $screenshot && { $demo || { $has_user && $has_password; }; }; then
        asks_nothing=true
    fi
    if ! $asks_nothing; then
        cat >&2 <<'MESSAGE'
No display found: the shell's windows would wait unseen for an answer.
Without a display, run it on the terminal:
    ./run.sh --no-gui --user LOGIN --password-file FILE
or save the logged-in main window as a picture:
    ./run.sh --user LOGIN --password-file FILE --screenshot FILE.png
(the password file's first line is the password; --password PASSWORD or the
environment variable WORKPLACE_PASSWORD work too)
MESSAGE
        exit 1
    fi
    export QT_QPA_PLATFORM=offscreen
fi

source platform/setup-build.sh
exec build/bin/workplace "$@"

#!/usr/bin/env bash
# The installation on its own: "cmake --install" into a temporary prefix, the
# prefix moved elsewhere, and the installed shell run from there, in a bare
# environment, on a private database server of its own.
# Usage: tst_install.sh BUILD_DIR
set -euo pipefail
build=$1

work=$(mktemp -d /tmp/workplace-install.XXXXXXXX)
data=
prefix=$work/moved
cleanup() {
    if [[ -n "$data" ]]; then
        "$prefix/bin/workplace-pg" stop "$data" > /dev/null 2>&1 || true
        rm -rf "$data"
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$work/stage" > "$work/install.log" 2>&1 \
    || { cat "$work/install.log"; fail "cmake --install"; }
# A prefix is relocatable when it works wherever it ends up.
mv "$work/stage" "$prefix"

for file in bin/workplace bin/workplace-pg lib/workplace/libdeals.so.1 lib/workplace/comdict.so lib/workplace/drivers/libpgdriver.so \
            share/applications/workplace.desktop share/icons/hicolor/scalable/apps/workplace.svg \
            share/icons/hicolor/48x48/apps/workplace.png share/workplace/sql/migrations/0001_core.sql \
            share/workplace/translations/deals_ru.qm; do
    [[ -e "$prefix/$file" ]] || fail "$file is not installed"
done
desktop-file-validate "$prefix/share/applications/workplace.desktop" || fail "the desktop entry is not valid"
# The shell takes its libraries from the prefix, never from the build tree.
# grep reads to the end (no -q): under pipefail a writer cut off early fails the check.
readelf -d "$prefix/bin/workplace" | grep 'RUNPATH.*\[\$ORIGIN/\.\./lib/workplace\]' >/dev/null \
    || fail "bin/workplace does not look for its libraries in ../lib/workplace"
ldd "$prefix/bin/workplace" | grep "libdeals.so.1 => $prefix/bin/../lib/workplace/libdeals.so.1" >/dev/null \
    || fail "bin/workplace does not load the installed deals library: $(ldd "$prefix/bin/workplace" | grep deals)"

# What a login session gives a program (Debian's default path), and nothing of
# the build's or the test run's: no library path, no runtime folder, no settings.
mkdir "$work/home"
# A sanitizer build's options belong to the build, not to the session: kept.
shell() {
    env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME="$work/home" \
        ${LSAN_OPTIONS:+LSAN_OPTIONS="$LSAN_OPTIONS"} ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} \
        QT_QPA_PLATFORM=offscreen "$prefix/bin/workplace" "$@"
}

# Into a file: grep -q leaves at the first match, and a list longer than one
# pipe write would then end the shell with SIGPIPE, which pipefail reports.
shell --list-windows > "$work/windows.txt" || fail "--list-windows failed"
grep -q '^main ' "$work/windows.txt" || fail "--list-windows does not list the main window"

# Under /tmp with a name nobody can guess; run as root, the server's own user owns it.
data=$(mktemp -d /tmp/workplace-install-db.XXXXXXXX)
"$prefix/bin/workplace-pg" start "$data" --volatile > /dev/null || fail "the private server did not start"

output=$(echo y | shell --no-gui --data-dir "$data" --user admin --password admin 2>&1) \
    || fail "creating the database: $output"
[[ "$output" == *"Logged in as Администратор"* ]] || fail "no login after creating the database: $output"

output=$(shell --data-dir "$data" --user admin --password admin --screenshot "$work/shell.png" 2>&1) \
    || fail "screenshot run: $output"
# A normal start says nothing: a catalog the shell cannot find would warn here.
[[ -z "$output" ]] || fail "the shell printed on a normal start: $output"
[[ "$(head -c 8 "$work/shell.png" | od -An -tx1 | tr -d ' \n')" == 89504e470d0a1a0a ]] \
    || fail "the screenshot is no PNG picture"
(( $(stat -c %s "$work/shell.png") > 10000 )) || fail "the screenshot is suspiciously small"
echo "PASS: installed into a moved prefix; the installed shell logged in and saved its window"

#!/usr/bin/env bash
# run.sh without a display: a run that would wait unseen for an answer is
# refused before anything is built; the others go on off-screen. run.sh runs
# in a sandbox whose set-up does nothing and whose shell only says how it started.
set -uo pipefail

sandbox=$(mktemp -d)
trap 'rm -rf "$sandbox"' EXIT
mkdir -p "$sandbox/platform" "$sandbox/build/bin"
cp "$1" "$sandbox/run.sh"
: > "$sandbox/platform/setup-build.sh"
cat > "$sandbox/build/bin/workplace" <<'SHELL'
#!/usr/bin/env bash
echo "shell started on ${QT_QPA_PLATFORM:-the display}"
SHELL
chmod +x "$sandbox/build/bin/workplace"

passed=0 failed=0
# check NAME DISPLAY EXIT TEXT [ARGUMENT...]
check() {
    local name=$1 display=$2 expected_exit=$3 text=$4
    shift 4
    local environment=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
    [[ -n $display ]] && environment+=(DISPLAY="$display")
    local output status
    output=$("${environment[@]}" timeout 20 bash "$sandbox/run.sh" "$@" 2>&1 </dev/null)
    status=$?
    if [[ $status == "$expected_exit" && $output == *"$text"* ]]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $name: exit $status, expected $expected_exit with \"$text\"; output: $output"
    fi
}

refused="--no-gui --user LOGIN --password-file FILE"
check "no options" "" 1 "$refused"
check "login without a way to show the result" "" 1 "$refused" --user admin --password admin
check "screenshot behind the login dialog" "" 1 "$refused" --screenshot shot.png
check "screenshot without a password" "" 1 "$refused" --user admin --screenshot shot.png
check "widgets demo on screen" "" 1 "$refused" --widgets-demo
check "terminal only" "" 0 "shell started on offscreen" --no-gui --user admin --password admin
check "terminal only, the shell asks for the rest" "" 0 "shell started on offscreen" --no-gui
check "screenshot after logging in" "" 0 "shell started on offscreen" --user=admin --password admin --screenshot=shot.png
check "screenshot with a password file" "" 0 "shell started on offscreen" --user admin --password-file pw --screenshot shot.png
WORKPLACE_PASSWORD=admin check "screenshot, the password in the environment" "" 0 "shell started on offscreen" \
    --user admin --screenshot shot.png
check "widgets demo screenshot" "" 0 "shell started on offscreen" --widgets-demo --screenshot shot.png
check "help" "" 0 "shell started on offscreen" --help
check "short help" "" 0 "shell started on offscreen" -h
check "a display" ":99" 0 "shell started on the display"

echo "$passed passed, $failed failed"
(( failed == 0 ))

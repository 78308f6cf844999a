#!/usr/bin/env bash
# Runs the program's window on a private X server and works it as the operator
# would: reads the title, the window's place and size and the screen, clicks
# "exit" (or cancels the retry box), and checks how the program ends.
#
#   end_to_end.sh demo PROZVONKA-DEMO   the demo on its simulated tester
#   end_to_end.sh real-ports PROZVONKA  the program on this machine's real serial ports
#
# Exit status: 0 passed, 1 failed, 77 skipped (no X server or tools to run it).
set -uo pipefail

readonly skipped=77
readonly mainTitle='Прозвонка кабеля из '
readonly retryTitle='Прозвонка кабеля'
# Where the designed window and its controls are, in the window's own pixels.
readonly outerPosition=190,146 outerSize=821x504
readonly panel2Crop=801x425+8+40
readonly exitX=$((664 + 137 / 2)) exitY=$((0 + 33 / 2))
readonly minPixels=500

mode=${1:-}
binary=${2:-}
if [[ $# -ne 2 || ($mode != demo && $mode != real-ports) ]]; then
    echo "usage: $0 demo|real-ports BINARY" >&2
    exit 2
fi
[[ -x $binary ]] || { echo "FAIL: no program at $binary" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/prozvonka-e2e.XXXXXX")
xvfbPid=
appPid=

stopProcess() {
    local pid=$1
    [[ -n $pid ]] && kill -0 "$pid" 2>/dev/null || return 0
    kill "$pid" 2>/dev/null
    for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
}

cleanUp() {
    stopProcess "$appPid"
    stopProcess "$xvfbPid"
    rm -rf "$work"
}
trap cleanUp EXIT
trap 'exit 1' INT TERM HUP

fail() {
    echo "FAIL: $*" >&2
    if [[ -n $xvfbPid ]] && ! kill -0 "$xvfbPid" 2>/dev/null; then
        echo "--- the X server has gone; its output:" >&2
        cat "$work/xvfb.log" >&2
    fi
    if [[ -s $work/app.log ]]; then
        echo "--- program output" >&2
        cat "$work/app.log" >&2
    fi
    exit 1
}

skip() {
    echo "SKIPPED: $*"
    exit "$skipped"
}

seconds() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(seconds)" 'BEGIN { printf "%.2f", b - a }'; }

for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null ||
        skip "needs $tool (Debian packages xvfb, xdotool, imagemagick)"
done

# Xvfb on a display number of our own, picked at random well above those that
# desktops and xvfb-run -a take; Xvfb refuses a number in use, and another is
# tried. It writes the number to fd 3 once it accepts connections.
# -noreset: the server would otherwise reset when our check disconnects, and
# refuse the program's connection while it does.
tryStartX() {
    local number=$((1000 + RANDOM % 29000))
    [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && return 1
    rm -f "$work/display"
    Xvfb ":$number" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfbPid=$!
    for _ in $(seq 100); do
        [[ -s $work/display ]] && break
        kill -0 "$xvfbPid" 2>/dev/null || break
        sleep 0.05
    done
    [[ -s $work/display ]] || { stopProcess "$xvfbPid"; return 1; }
    export DISPLAY=:$number
    xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    stopProcess "$xvfbPid"
    return 1
}

startX() {
    local attempt
    for attempt in 1 2 3; do
        tryStartX && break
        if ((attempt == 3)); then
            cat "$work/xvfb.log"
            skip "Xvfb could not be started, so there is no screen to run the window on"
        fi
    done
    unset WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
    # Kept off the desktop's session bus too. (What libdbus keeps of a
    # connection attempt is reported as a leak in the sanitizer build.)
    export DBUS_SESSION_BUS_ADDRESS=disabled:
    export XDG_RUNTIME_DIR=$work/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    echo "X server $DISPLAY (Xvfb, no window manager)"
}

launch() {
    mkdir "$work/run"
    (cd "$work/run" && exec "$binary") >"$work/app.log" 2>&1 &
    appPid=$!
    launchedAt=$(seconds)
}

# The first window whose name matches the extended regular expression.
findWindow() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1
}

# Waits for one of the windows named by the patterns; prints "index id".
waitForWindow() {
    local timeout=$1
    shift
    local patterns=("$@") deadline=$((SECONDS + timeout)) i id
    while ((SECONDS < deadline)); do
        for i in "${!patterns[@]}"; do
            id=$(findWindow "${patterns[$i]}")
            [[ -n $id ]] && { echo "$i $id"; return 0; }
        done
        kill -0 "$appPid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Waits for the program to end and sets exitStatus; false when it runs on.
# Not in a subshell: only this shell can wait for the program.
waitForExit() {
    local deadline=$((SECONDS + $1))
    while kill -0 "$appPid" 2>/dev/null; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
    wait "$appPid"
    exitStatus=$?
    appPid=
}

# Pixels of Panel2's area in the window's picture that are the given pure-ish colour.
countPixels() {
    local picture=$1 colour=$2
    convert "$picture" -crop "$panel2Crop" +repage -depth 8 -format %c histogram:info:- |
        awk -v colour="$colour" '
            {
                n = $1 + 0
                s = $0
                sub(/^[^(]*\(/, "", s)
                split(s, c, /[,)]/)
                r = c[1] + 0; g = c[2] + 0; b = c[3] + 0
                if (colour == "red" && r >= 200 && g <= 60 && b <= 60) total += n
                if (colour == "blue" && b >= 200 && r <= 60 && g <= 60) total += n
            }
            END { print total + 0 }'
}

# Takes pictures of the window until Panel2 shows every given colour at once;
# the number comes and goes with the scan, so a few tries may be needed.
expectColours() {
    local window=$1
    shift
    local try colour count seen
    for try in $(seq 30); do
        import -window "$window" "$work/window.png" 2>/dev/null || fail "cannot take a picture of window $window"
        seen=()
        for colour in "$@"; do
            count=$(countPixels "$work/window.png" "$colour")
            ((count >= minPixels)) && seen+=("$colour $count")
        done
        if ((${#seen[@]} == $#)); then
            echo "picture $try: Panel2 shows $(IFS=,; echo "${seen[*]}") pixels"
            return 0
        fi
        sleep 0.3
    done
    cp "$work/window.png" "${TMPDIR:-/tmp}/prozvonka-e2e-last.png" 2>/dev/null &&
        echo "last picture: ${TMPDIR:-/tmp}/prozvonka-e2e-last.png" >&2
    fail "Panel2 never showed $* (at least $minPixels pixels each) in 30 pictures"
}

expectMainWindow() {
    local window=$1 title
    title=$(xdotool getwindowname "$window")
    echo "title: \"$title\""
    [[ $title =~ ^Прозвонка\ кабеля\ из\ ([0-9]+)\ проводников\ $ ]] ||
        fail "title \"$title\" is not \"${mainTitle}N проводников \""
    conductors=${BASH_REMATCH[1]}

    # The window settles its outer size once it has been shown.
    local geometry position size
    for _ in $(seq 20); do
        geometry=$(xdotool getwindowgeometry "$window")
        position=$(sed -n 's/^ *Position: \([0-9-]*,[0-9-]*\).*/\1/p' <<<"$geometry")
        size=$(sed -n 's/^ *Geometry: \([0-9]*x[0-9]*\).*/\1/p' <<<"$geometry")
        [[ $position == "$outerPosition" && $size == "$outerSize" ]] && break
        sleep 0.1
    done
    echo "outer window: position $position, size $size"
    [[ $position == "$outerPosition" ]] || fail "window at $position, not at $outerPosition"
    [[ $size == "$outerSize" ]] || fail "window is $size, not $outerSize"
}

clickExit() {
    local window=$1 clickedAt
    clickedAt=$(seconds)
    xdotool mousemove --window "$window" "$exitX" "$exitY" click 1
    waitForExit 10 || fail "the program still runs 10 s after clicking exit"
    echo "clicked exit at $exitX,$exitY: the program ended after $(since "$clickedAt") s with status $exitStatus"
    [[ $exitStatus == 0 ]] || fail "exit status $exitStatus, not 0"
}

runDemo() {
    startX
    launch
    local found window
    found=$(waitForWindow 20 "^$mainTitle") || fail "no window named \"$mainTitle…\" within 20 s"
    window=${found#* }
    echo "window after $(since "$launchedAt") s"
    expectMainWindow "$window"
    [[ $conductors == 37 ]] || fail "the demo's tester has 37 conductors, the title says $conductors"
    expectColours "$window" red
    clickExit "$window"
}

runRealPorts() {
    echo "This test opens every serial port of this machine and pulses DTR on it, as the program does."
    startX
    launch
    local found window
    # The search of every real port runs before the window shows.
    found=$(waitForWindow 60 "^$mainTitle" "^$retryTitle\$" "^Prozvonka") ||
        fail "neither the window nor the retry box came within 60 s"
    window=${found#* }
    case ${found%% *} in
    0)
        expectMainWindow "$window"
        echo "case: a real port answered as a tester with $conductors conductors"
        # No clips in its directory: every conductor that rings through shows
        # its number in red and the missing-clip message in blue.
        expectColours "$window" red blue
        clickExit "$window"
        ;;
    1)
        echo "case: no real port answered; the retry box \"$retryTitle\" is up"
        xdotool windowfocus --sync "$window" 2>/dev/null
        xdotool key Escape
        if ! waitForExit 5; then
            # Cancel is the box's right-hand button.
            local WIDTH HEIGHT
            eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=')"
            echo "Escape did not answer the box; clicking Cancel"
            xdotool mousemove --window "$window" $((WIDTH - 50)) $((HEIGHT - 22)) click 1
            waitForExit 5 || fail "the program still runs after Cancel in the retry box"
        fi
        echo "cancelled the retry box: the program ended with status $exitStatus"
        [[ $exitStatus == 0 ]] || fail "exit status $exitStatus, not 0"
        ;;
    2)
        fail "an error box \"$(xdotool getwindowname "$window")\" came up"
        ;;
    esac
}

startedAt=$(seconds)
case $mode in
demo) runDemo ;;
real-ports) runRealPorts ;;
esac
echo "PASS ($mode) in $(since "$startedAt") s"

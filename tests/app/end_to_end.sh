#!/bin/sh
# The program in a real window on a virtual X display: clicking Tessaline's status item in the
# simulated desktop's window opens the Quick Open panel and clicking it again closes it; opened
# once more, Return on its first row (an item hidden by the notch) opens that item's menu in the
# simulated desktop. With both Shift keys as the quick-access shortcut, the pair pressed on the
# keyboard in the desktop window opens the panel again; closed with Ctrl-W, it leaves the keyboard
# with the desktop window, where the pair opens it once more. Pictures of the screen with the panel
# open, with the menu open and with the panel opened by the pair are kept as end-to-end.png,
# end-to-end-menu.png and end-to-end-pair.png in the output folder. Ended with SIGTERM, the
# program must quit within 5 seconds with status 0.
# usage: end_to_end.sh PROGRAM SCREEN_GRAB OUTPUT_FOLDER
set -eu
program=$1 grab=$2 output=$3

if [ "${TESSALINE_E2E_INNER:-}" != 1 ]; then
    TESSALINE_E2E_INNER=1 exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$@"
fi

home=$(mktemp -d)
pid=
# Whether the program still runs: a child that ended stays a zombie until waited for, and a
# zombie still answers kill -0.
running() {
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null &&
        ! grep -q '^State:[[:space:]]*Z' "/proc/$pid/status" 2>/dev/null
}
# Ends the program as a logout does, with SIGTERM, and gives it 5 seconds to quit; one still
# running then is killed. Sets `ended` to its exit status, or to "hung".
stop_program() {
    ended=0
    [ -n "$pid" ] || return 0
    kill -TERM "$pid" 2>/dev/null || true
    tries=100
    while running && [ "$tries" -gt 0 ]; do
        sleep 0.05
        tries=$((tries - 1))
    done
    if running; then
        kill -KILL "$pid" 2>/dev/null || true
        ended=hung
    fi
    status=0
    wait "$pid" 2>/dev/null || status=$?
    [ "$ended" = hung ] || ended=$status
    pid=
}
trap 'stop_program; rm -rf "$home"' EXIT
mkdir -p "$home/config/tessaline" "$home/data" "$home/runtime" "$home/diagnostics"
chmod 700 "$home/runtime"
# Started as if at login after onboarding, so neither the panel nor onboarding opens by itself.
printf '{"general.launchAtLogin": true, "onboarding.completed": true, "quickAccess.modifierShortcut": "shift"}\n' \
    >"$home/config/tessaline/defaults.json"
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
    XDG_STATE_HOME="$home/data" XDG_RUNTIME_DIR="$home/runtime" \
    TESSALINE_DIAGNOSTICS_DIR="$home/diagnostics"
unset QT_QPA_PLATFORM TESSALINE_DESKTOP

"$program" &
pid=$!

# Every wait is on a condition and lasts as long as the program lives, however slow a loaded
# machine makes it; a program that hangs is ended by the test's time-out, after the line that
# says what it was waiting for.
until_true() {
    echo "$(date +%T) waiting for: $*"
    until "$@" >/dev/null 2>&1; do
        running || { echo "the program ended while waiting for: $*" >&2; exit 1; }
        sleep 0.05
    done
}
scanned() { grep -q "itemCount=" "$home/diagnostics/tessaline-product-scan.txt"; }
# Windows are looked up inside the waits, which keep their ids: a search outside one that failed
# would end the script.
desktop_shown() { window=$(xdotool search --onlyvisible --name '^Simulated desktop' | head -n 1) && [ -n "$window" ]; }
panel_shown() { xdotool search --onlyvisible --name '^Tessaline$'; }
panel_hidden() { ! panel_shown; }
# One panel window mapped: an earlier one may linger a moment while it is released.
one_panel() {
    panel=$(xdotool search --onlyvisible --name '^Tessaline$') && [ "$(echo "$panel" | wc -l)" -eq 1 ]
}

until_true desktop_shown
until_true scanned
panel_hidden || { echo "the panel opened by itself" >&2; exit 1; }

# The compiled-in desktop is 1512 points wide with Tessaline's item rightmost, 8 points in.
xdotool mousemove --window "$window" 1496 12 click 1
until_true panel_shown
"$grab" "$output/end-to-end.png"

xdotool mousemove --window "$window" 1496 12 click 1
until_true panel_hidden

# The first row is the leftmost item hidden behind the notch; the desktop window's title names
# the menu once it is open, and the open is remembered among the recent items (a JSON list kept
# as base64 data) with the outcome the program observed.
menu_shown() { xdotool search --onlyvisible --name '^Simulated desktop.*, menu of .* open$'; }
recorded() {
    tr -d ' \n' <"$home/config/tessaline/defaults.json" |
        sed -n 's/.*"quickOpen.recentItems":{"data":"\([^"]*\)".*/\1/p' | base64 -d |
        grep -q '"outcome":"observedOpen"'
}
xdotool mousemove --window "$window" 1496 12 click 1
until_true one_panel
xdotool windowfocus --sync "$panel" key Return
until_true panel_hidden
until_true menu_shown
until_true recorded
"$grab" "$output/end-to-end-menu.png"

# Both Shift keys together, as a person presses them, in the desktop window.
xdotool windowfocus --sync "$window" keydown Shift_L keydown Shift_R keyup Shift_R keyup Shift_L
until_true panel_shown
"$grab" "$output/end-to-end-pair.png"

# Ctrl-W closes the panel and the keyboard goes back to the desktop window, with no window
# manager to hand it on: the pair pressed next, wherever the keyboard is, opens the panel again.
until_true one_panel
xdotool windowfocus --sync "$panel" key ctrl+w
until_true panel_hidden
desktop_has_keyboard() { [ "$(xdotool getwindowfocus)" = "$window" ]; }
until_true desktop_has_keyboard
xdotool keydown Shift_L keydown Shift_R keyup Shift_R keyup Shift_L
until_true panel_shown
running || { echo "the program ended before SIGTERM" >&2; exit 1; }

# SIGTERM quits through the program's normal path, which ends with status 0.
stop_program
case $ended in
0) ;;
hung) echo "the program did not end within 5 seconds of SIGTERM and was killed" >&2; exit 1 ;;
*) echo "the program ended with status $ended after SIGTERM, not 0" >&2; exit 1 ;;
esac
echo "end-to-end: panel opened and closed from the status item, a hidden item's menu opened" \
    "from it, the panel opened by the Shift pair and again after Ctrl-W closed it, the program quit on SIGTERM; screens in" \
    "$output/end-to-end.png, end-to-end-menu.png and end-to-end-pair.png"

#!/bin/sh
# The program in a real window on a virtual X display: clicking Tessaline's status item in the
# simulated desktop's window opens the Quick Open panel, clicking it again closes it. A picture
# of the screen with the panel open is kept as end-to-end.png in the output folder.
# usage: end_to_end.sh PROGRAM SCREEN_GRAB OUTPUT_FOLDER
set -eu
program=$1 grab=$2 output=$3

if [ "${TESSALINE_E2E_INNER:-}" != 1 ]; then
    TESSALINE_E2E_INNER=1 exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$@"
fi

home=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT
mkdir -p "$home/config/tessaline" "$home/data" "$home/runtime" "$home/diagnostics"
chmod 700 "$home/runtime"
# Started as if at login, so the panel does not open by itself.
printf '{"general.launchAtLogin": true}\n' >"$home/config/tessaline/defaults.json"
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
    XDG_STATE_HOME="$home/data" XDG_RUNTIME_DIR="$home/runtime" \
    TESSALINE_DIAGNOSTICS_DIR="$home/diagnostics"
unset QT_QPA_PLATFORM TESSALINE_DESKTOP

"$program" &
pid=$!

# Every wait is on a condition, bounded by a deadline.
until_true() {
    deadline=$(($(date +%s) + 30))
    until "$@" >/dev/null 2>&1; do
        [ "$(date +%s)" -lt "$deadline" ] || { echo "timed out waiting for: $*" >&2; exit 1; }
        sleep 0.05
    done
}
scanned() { grep -q "itemCount=" "$home/diagnostics/tessaline-product-scan.txt"; }
panel_shown() { xdotool search --onlyvisible --name '^Tessaline$'; }
panel_hidden() { ! panel_shown; }

until_true xdotool search --onlyvisible --name '^Simulated desktop'
window=$(xdotool search --onlyvisible --name '^Simulated desktop' | head -n 1)
until_true scanned
panel_hidden || { echo "the panel opened by itself" >&2; exit 1; }

# The compiled-in desktop is 1512 points wide with Tessaline's item rightmost, 8 points in.
xdotool mousemove --window "$window" 1496 12 click 1
until_true panel_shown
"$grab" "$output/end-to-end.png"

xdotool mousemove --window "$window" 1496 12 click 1
until_true panel_hidden
kill -0 "$pid"
echo "end-to-end: panel opened and closed from the status item; screen in $output/end-to-end.png"

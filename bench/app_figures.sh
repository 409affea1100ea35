#!/bin/sh
# The program's figures on the compiled-in desktop: process start to the panel shown (the
# panel's first refresh scan), idle processor time with the default 5 s scans over IDLE_SECONDS
# (default 60) while the program runs in the background on a virtual display (xvfb-run), its
# desktop window shown and no window of its own open, as after the panel was dismissed (the
# open panel's figure, offscreen, comes first for comparison), and resident memory after SCANS
# scans (default 100). Each run is a fresh user who has completed onboarding, so that no
# onboarding window stands in for the panel.
# usage: bench/app_figures.sh PROGRAM
set -eu
program=$1
idle_seconds=${IDLE_SECONDS:-60}
scans=${SCANS:-100}

fresh_user() {
    home=$(mktemp -d)
    mkdir -p "$home/config/tessaline" "$home/data" "$home/runtime" "$home/diagnostics"
    chmod 700 "$home/runtime"
    printf '%s\n' "$1" >"$home/config/tessaline/defaults.json"
    echo "$home"
}
start() {
    HOME=$1 XDG_CONFIG_HOME=$1/config XDG_DATA_HOME=$1/data XDG_STATE_HOME=$1/data \
        XDG_RUNTIME_DIR=$1/runtime TESSALINE_DIAGNOSTICS_DIR=$1/diagnostics \
        QT_QPA_PLATFORM=offscreen "$program" >/dev/null 2>&1 &
    echo $!
}
# The same on a virtual display of its own; the program's pid is written by the shell it replaces.
start_on_display() {
    xvfb-run -a -s "-screen 0 1920x1080x24" sh -c 'echo $$ >"$0"; exec "$@"' "$1/pid" \
        env -u QT_QPA_PLATFORM HOME="$1" XDG_CONFIG_HOME="$1/config" XDG_DATA_HOME="$1/data" \
        XDG_STATE_HOME="$1/data" XDG_RUNTIME_DIR="$1/runtime" \
        TESSALINE_DIAGNOSTICS_DIR="$1/diagnostics" "$program" >/dev/null 2>&1 &
    until [ -s "$1/pid" ]; do sleep 0.05; done
    cat "$1/pid"
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# Nanoseconds on the processor, all threads.
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{sum += $1} END {printf "%d", sum}'; }
scan_lines() { grep -c 'itemCount=' "$1/diagnostics/tessaline-product-scan.txt" 2>/dev/null || echo 0; }

# Start to panel.
home=$(fresh_user '{"onboarding.completed": true}')
begin=$(now_ms)
pid=$(start "$home")
until grep -q 'reason=panel-refresh' "$home/diagnostics/tessaline-product-scan.txt" 2>/dev/null; do
    sleep 0.002
done
echo "start to panel shown: $(($(now_ms) - begin)) ms (budget 300 ms)"


# Processor time over the idle seconds once the start has settled, in per cent of one core.
idle_percent() {
    until [ "$(scan_lines "$1")" -ge 2 ]; do sleep 0.05; done
    before=$(cpu_ns "$2")
    sleep "$idle_seconds"
    after=$(cpu_ns "$2")
    echo "($after - $before) / 10000000 / $idle_seconds" | bc -l | cut -c1-6
}
echo "idle processor time over ${idle_seconds} s with the panel open: $(idle_percent "$home" "$pid") %"
kill "$pid"; wait "$pid" 2>/dev/null || true; rm -rf "$home"

home=$(fresh_user '{"onboarding.completed": true, "general.launchAtLogin": true}')
pid=$(start_on_display "$home")
echo "idle processor time over ${idle_seconds} s with the desktop window on a virtual display:" \
    "$(idle_percent "$home" "$pid") % (budget 0.05 %)"
kill "$pid"; wait 2>/dev/null || true; rm -rf "$home"

# Memory after many scans (the shortest usable interval; the throttle spaces them 1.5 s).
home=$(fresh_user '{"onboarding.completed": true, "general.launchAtLogin": true, "scanner.intervalSeconds": 0.1}')
pid=$(start "$home")
until [ "$(scan_lines "$home")" -ge "$scans" ]; do sleep 0.5; done
echo "resident memory after $scans scans: $(awk '/VmRSS/ {print int($2 / 1024)}' "/proc/$pid/status") MB (budget 60 MB)"
kill "$pid"; wait "$pid" 2>/dev/null || true; rm -rf "$home"

#!/usr/bin/env bash
# One X display for a whole test run, shared by every test that opens a window:
#   display.sh start <state-dir> <prefix>     starts Xvfb, records its number, readies the prefix
#   display.sh stop <state-dir>               stops it
# The wine-run wrapper of the build tree uses the recorded display while it lives. The first Wine
# program of a display session starts Wine's desktop process, which keeps the session's windows;
# a program that made windows before it was up could lose them (error 1400), so it is started here.
set -u
command="$1"
state="$2"

stop() {
    if [ -f "$state/pid" ]; then
        kill "$(cat "$state/pid")" 2>/dev/null || true
    fi
    rm -rf "$state"
}

case "$command" in
start)
    export WINEPREFIX="$3" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    stop
    mkdir -p "$state"
    # Xvfb chooses a free display and writes its number to descriptor 3.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$state/number" >/dev/null 2>&1 &
    echo $! >"$state/pid"
    for _ in $(seq 100); do
        [ -s "$state/number" ] && break
        sleep 0.1
    done
    if [ ! -s "$state/number" ]; then
        echo "display: Xvfb did not start" >&2
        stop
        exit 1
    fi
    display=":$(tr -d '\n' <"$state/number")"
    "$(dirname "$0")/wine-prefix.sh" || { stop; exit 1; }
    # Windows are not handed to a window manager (there is none to answer): Wine draws their
    # frames itself and never waits for one to withdraw a hidden window.
    if ! DISPLAY="$display" timeout -k 5 120 wine reg add 'HKCU\Software\Wine\X11 Driver' \
        /v Managed /d N /f </dev/null >/dev/null 2>&1; then
        echo "display: the prefix could not be readied" >&2
        stop
        exit 1
    fi
    echo "$display" >"$state/display"
    echo "display: $display"
    ;;
stop)
    stop
    ;;
*)
    echo "usage: display.sh start <state-dir> <prefix> | stop <state-dir>" >&2
    exit 2
    ;;
esac

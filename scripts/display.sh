#!/usr/bin/env bash
# One X display for a whole test run, shared by every test that opens a window, with a Wine
# prefix of its own:
#   display.sh start <state-dir> <prefix>   starts Xvfb, readies the prefix, records both
#   display.sh stop <state-dir>             stops the prefix's Wine processes and Xvfb
# The build tree's wine-run runs programs that need a display there while it lives.
#
# Why a prefix of its own: a Wine prefix has one desktop process, started by the first program
# that needs it, with that program's environment. Started by a test without a display, it gives
# up a second later, and windows made meanwhile are lost (error 1400). The tests without a display
# keep the tree's prefix; this one's desktop process is started here, on the display, and lives
# until the stop.
set -euo pipefail
command="$1"
state="$2"
# shellcheck source=scripts/wine-env.sh
. "$(dirname "$0")/wine-env.sh"

stop() {
    if [ -f "$state/prefix" ]; then
        WINEPREFIX="$(cat "$state/prefix")" timeout 30 wineserver -k 2>/dev/null || true
    fi
    if [ -f "$state/pid" ]; then
        kill "$(cat "$state/pid")" 2>/dev/null || true
    fi
    rm -rf "$state"
}

case "$command" in
start)
    export WINEPREFIX="$3"
    stop
    mkdir -p "$state"
    echo "$WINEPREFIX" >"$state/prefix"
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
    # frames itself and never waits for one to withdraw a hidden window. This first program on
    # the display also starts the prefix's desktop process there.
    if ! DISPLAY="$display" timeout -k 5 120 wine reg add 'HKCU\Software\Wine\X11 Driver' \
        /v Managed /d N /f </dev/null >/dev/null 2>&1; then
        echo "display: the prefix could not be readied" >&2
        stop
        exit 1
    fi
    echo "$display" >"$state/display"
    echo "display: $display, prefix $WINEPREFIX"
    ;;
stop)
    stop
    ;;
*)
    echo "usage: display.sh start <state-dir> <prefix> | stop <state-dir>" >&2
    exit 2
    ;;
esac

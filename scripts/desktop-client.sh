# shellcheck shell=bash
# shellcheck disable=SC2034,SC2154 # the sourcing script sets and reads the shared variables
# The desktop client for scripts/run-system.sh, which sources this file: TarvoVEK.exe started on
# an X display in the run's prefix, its window found there and photographed, and an X server of
# the script's own for a run without a display. It uses the script's WINEPREFIX, $program and
# $run; no Wine process it starts holds the endpoints' lock (descriptor 8).

readonly desktop_caption="Tarvo VEK v3.0.4"
desktop_pid="" xvfb_pid="" xvfb_display=""

# Starts Xvfb on a free display: sets xvfb_display.
start_xvfb() {
    local number="$run/xvfb-display"
    rm -f "$number"
    # Xvfb writes the number of the display it chose to descriptor 3.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 8>&- &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$number" ] && break
        sleep 0.1
    done
    [ -s "$number" ] || { echo "run-system: Xvfb did not start" >&2; return 1; }
    xvfb_display=":$(tr -d '\n' <"$number")"
}

stop_xvfb() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    xvfb_pid=""
}

# Starts the desktop client on the display: sets desktop_pid. It runs until it is ended (File >
# Exit), or with the prefix's wineserver; its output goes to desktop-client.log in the run folder.
start_desktop_client() { # start_desktop_client <display>
    DISPLAY="$1" wine "$program" </dev/null >>"$run/desktop-client.log" 2>&1 8>&- &
    desktop_pid=$!
}

# Prints the place of the desktop client's window on the display, "left top width height", once
# it shows there (within the seconds given); false when it does not.
desktop_window_place() { # desktop_window_place <display> <seconds>
    local place
    for _ in $(seq $(($2 * 2))); do
        place="$(xwininfo -display "$1" -name "$desktop_caption" 2>/dev/null | awk '
            /Absolute upper-left X:/ { left = $NF }
            /Absolute upper-left Y:/ { top = $NF }
            /Width:/ { width = $NF }
            /Height:/ { height = $NF }
            /Map State: IsViewable/ { shown = 1 }
            END { if (shown) print left, top, width, height }')"
        [ -n "$place" ] && { echo "$place"; return 0; }
        sleep 0.5
    done
    return 1
}

# Saves what the display shows at the place as a PNG file.
save_screenshot() { # save_screenshot <display> <left> <top> <width> <height> <file>
    /usr/bin/python3 - "$@" <<'EOF'
import sys
from PIL import ImageGrab

display, path = sys.argv[1], sys.argv[6]
left, top, width, height = (int(value) for value in sys.argv[2:6])
ImageGrab.grab(bbox=(left, top, left + width, top + height), xdisplay=display).save(path)
EOF
}

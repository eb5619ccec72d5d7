#!/usr/bin/env bash
# Runs the whole system on this machine, on the program's built-in endpoints: the reference
# provider on loopback with its demo account, and Tarvo VEK under Wine, keeping the chosen demo
# hosts pointed at the address the IP-echo servers report. Every 10 s it prints the provider's
# hosts. Ctrl-C stops Tarvo VEK (and removes its service), stops the provider and ends the
# prefix's wineserver.
#
#   scripts/run-system.sh [--for SECONDS]
#
# With an X display (DISPLAY), Tarvo VEK's desktop client shows there. On its first run (no
# client id stored in the run's prefix) the script prints the demo account to sign in with; the
# client registers, opens its host selection, and the update for the hosts chosen there shows in
# the provider's host list. The script ends when the client ends (File > Exit).
#
# Without a display, Tarvo VEK runs as the background service, registered with the demo client id
# and key and the demo hosts; the script says how to watch the desktop client under Xvfb. It
# checks every 10 s that the service still runs, and ends, with the last lines of the service's
# log, when it does not.
#
# --for SECONDS runs the service unattended for that long (at least 30 s), display or not, then
# stops it as Ctrl-C does. On the way it has the echo servers report another address (`echo
# set`) and restarts the service; after the restart it starts the desktop client on an Xvfb
# display of its own, finds its window and saves a screenshot of it (desktop-client.png in the
# run folder). It fails unless the window showed, the service and the desktop client still run
# at the end, every demo host carries the new address, and the clean-up leaves no Wine process
# of the prefix, no service, no provider and no Xvfb behind.
#
# The environment may name other folders (the test command's smoke test does):
#   VEK_RUN_DIR       the run folder: the Wine prefix and the provider's data (build/run)
#   VEK_WIN_BUILD     the Windows build tree (build/win)
#   VEK_NATIVE_BUILD  the native build tree that builds the provider (build/native)
#
# Other terminals may act on the running system meanwhile, e.g. (paths from the repository root):
#   build/native/provider/tarvo-provider --data build/run/provider echo set 203.0.113.7
#   build/native/provider/tarvo-provider --data build/run/provider hosts list
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    sed -n '2,/^set -euo/p' "$0" | sed '$d' | sed 's/^# \{0,1\}//' >&2
    exit 2
}

duration=""
while [ "$#" -gt 0 ]; do
    case "$1" in
    --for)
        if [ "$#" -lt 2 ] || ! [[ "$2" =~ ^[0-9]+$ ]] || [ "$2" -lt 30 ]; then
            echo "run-system: --for takes a number of seconds, at least 30" >&2
            exit 2
        fi
        duration="$2"
        shift 2
        ;;
    -h | --help) usage ;;
    *)
        echo "run-system: unknown argument: $1" >&2
        usage
        ;;
    esac
done

scripts/install-deps.sh
jobs="$(nproc)"
win="${VEK_WIN_BUILD:-build/win}"
native="${VEK_NATIVE_BUILD:-build/native}"
cmake -S . -B "$native" -G Ninja >/dev/null
cmake --build "$native" -j "$jobs" --target tarvo-provider
# shellcheck source=scripts/wine-env.sh
. scripts/wine-env.sh
scripts/windows-tree.sh "$win"
cmake -S . -B "$win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$VEK_WINDOWS_ARCH.cmake" >/dev/null
cmake --build "$win" -j "$jobs" --target TarvoVEK AdminManager ImportRootCA

run="$(realpath -m "${VEK_RUN_DIR:-build/run}")"
data="$run/provider"
provider="$(realpath "$native")/provider/tarvo-provider"
built_program="$(realpath "$win")/Main/TarvoVEK.exe"
built_server="$(realpath "$win")/Main/AdminManager.dll"
importer="$(realpath "$win")/tools/ImportRootCA.exe"
service=TarvoVEKService3
settings='HKCU\Software\Halvenor\VEK\v3'
machine='HKLM\Software\Halvenor\VEK\v3'
demo_hosts=(home.demo.example office.demo.example cabin.demo.example)
export WINEPREFIX="$run/wineprefix"
# The program and its admin server are installed together in one folder of the prefix, as on a
# PC: the server installs the service only for the program beside it.
install_folder='C:\Program Files\Tarvo VEK'
program="$WINEPREFIX/drive_c/Program Files/Tarvo VEK/TarvoVEK.exe"
# shellcheck source=scripts/wine-env.sh
. scripts/wine-env.sh
# shellcheck source=scripts/desktop-client.sh
. scripts/desktop-client.sh
# The display the desktop client shows on, when there is one that answers; no other Wine command
# has a display.
desktop_display=""
if [ -n "${DISPLAY:-}" ] && xwininfo -root -display "$DISPLAY" >/dev/null 2>&1; then
    desktop_display="$DISPLAY"
fi
unset DISPLAY
mkdir -p "$run"

# Every Wine command is bounded in time; none holds the endpoints' lock (descriptor 8).
w() { timeout -k 5 120 wine "$@" </dev/null 8>&-; }
operator() { "$provider" --data "$data" "$@"; }

# A value of the client's settings; nothing when it is not stored.
setting() {
    w reg query "$settings" /v "$1" 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'
}

# The service's state as `sc query` names it (RUNNING, STOPPED ...); nothing when it is not
# installed.
service_state() {
    local answer
    answer="$(w sc query "$service" 2>/dev/null)" || true
    tr -d '\r' <<<"$answer" | sed -n 's/^ *STATE *: *[0-9]* *\([A-Z_]*\).*/\1/p'
}
wait_for_state() { # wait_for_state <state, or "" for none> <seconds>
    for _ in $(seq "$2"); do
        [ "$(service_state)" = "$1" ] && return 0
        sleep 1
    done
    return 1
}

service_log=""
report_service_down() { # report_service_down <state>
    echo "run-system: the service is not running (${1:-not installed}); the last lines of its log:" >&2
    if [ -f "$service_log" ]; then
        tail -n 20 "$service_log" | sed 's/^/  /' >&2
    else
        echo "  (no log: ${service_log:-its folder is not known})" >&2
    fi
}

# Ends the script, saying so, unless the service runs (within the seconds given).
check_service() { # check_service [seconds]
    wait_for_state RUNNING "${1:-1}" || { report_service_down "$(service_state)"; exit 1; }
}

# Whether every demo host carries the address.
hosts_carry() {
    operator hosts list demo@example.com |
        awk -v address="$1" -v hosts="${demo_hosts[*]}" '
            BEGIN { total = split(hosts, names, " "); for (i in names) wanted[names[i]] = 1 }
            ($1 in wanted) && $2 == address { count++ }
            END { exit count == total ? 0 : 1 }'
}

# Whether the process runs (a zombie has ended).
alive() { [[ "$(ps -o stat= -p "$1")" == [^Z]* ]]; }

# Stops this run folder's provider, also one that a killed run left holding the endpoints.
stop_provider() {
    local pid
    pid="$(cat "$run/provider.pid" 2>/dev/null)" || return 0
    if { tr '\0' ' ' <"/proc/$pid/cmdline"; } 2>/dev/null | grep -q "tarvo-provider --data $data "; then
        kill -TERM "$pid" 2>/dev/null
        for _ in $(seq 100); do alive "$pid" || break; sleep 0.1; done
        alive "$pid" && kill -KILL "$pid" 2>/dev/null
    fi
    rm -f "$run/provider.pid"
}

# Ends the prefix's wineserver and with it every Wine process of the prefix; false when any
# is still there 10 s later.
stop_wine() {
    [ -d "$WINEPREFIX" ] || return 0
    timeout 30 wineserver -k >/dev/null 2>&1 8>&-
    for _ in $(seq 100); do
        [ -z "$(scripts/wine-prefix-processes.sh "$WINEPREFIX")" ] && return 0
        sleep 0.1
    done
    return 1
}

wine_started="" echo_changed=""
cleanup() {
    local status=$? left=()
    set +e
    trap '' INT TERM
    trap - EXIT
    echo "stopping: the service, the provider, Wine"
    if [ -n "$wine_started" ]; then
        if [ -n "$(service_state)" ]; then
            w sc stop "$service" >/dev/null 2>&1
            wait_for_state STOPPED 15
            w sc delete "$service" >/dev/null 2>&1
        fi
        w reg delete "$machine" /f >/dev/null 2>&1
        # Wine's manager can still find a deleted service for a moment.
        wait_for_state "" 10 || left+=("the service $service")
    fi
    [ -n "$echo_changed" ] && operator echo clear >/dev/null
    stop_provider
    stop_wine || left+=("Wine processes: $(scripts/wine-prefix-processes.sh "$WINEPREFIX" | tr '\n' ';')")
    stop_xvfb
    [ -n "$provider_pid" ] && alive "$provider_pid" && left+=("the provider ($provider_pid)")
    if [ "${#left[@]}" -gt 0 ]; then
        printf 'run-system: left behind: %s\n' "${left[@]}" >&2
        status=1
    fi
    exit "$status"
}

# What a run that was killed may have left: its provider, its wineserver and Wine processes.
stop_provider
stop_wine || { echo "run-system: Wine processes of $WINEPREFIX do not end" >&2; exit 1; }

# The endpoints are the machine's: runs of this script and the test runs' provider fixtures take
# this lock on them. It goes with the provider, which inherits it.
exec 8>/tmp/vek-provider-default-endpoints.lock
if ! flock -n 8; then
    echo "waiting (at most 600 s) for the default endpoints, held by: $(cat /tmp/vek-provider-default-endpoints.owner 2>/dev/null)"
    flock -w 600 8 || { echo "run-system: the default endpoints stay held" >&2; exit 1; }
fi
echo "$run" >/tmp/vek-provider-default-endpoints.owner

provider_pid=""
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# One wineserver for the system's whole life: a server that lingers ends every Wine process, the
# service included, a while after the last Wine command, and the loop below runs native commands.
wine_started=yes
VEK_WINESERVER_LINGER=forever scripts/wine-prefix.sh 8>&-

# The provider: the demo account, then every server on its default endpoint.
"$provider" --data "$data" demo >"$run/provider.log" 2>&1 &
provider_pid=$!
echo "$provider_pid" >"$run/provider.pid"
for _ in $(seq 600); do
    grep -qx ready "$run/provider.log" && break
    kill -0 "$provider_pid" 2>/dev/null || { grep -v "client key" "$run/provider.log" >&2; exit 1; }
    sleep 0.1
done
grep -qx ready "$run/provider.log" || { echo "the provider did not start" >&2; exit 1; }
sed -n '1,/^ready$/p' "$run/provider.log" | grep -v "client key"
cid="$(sed -n 's/^demo client id: *//p' "$run/provider.log" | head -n1)"
key="$(sed -n 's/^demo client key: *//p' "$run/provider.log" | head -n1)"

# The client trusts the provider's certificate authority, the Windows way.
w "$importer" "Z:$data/ca.pem" >/dev/null
# The program and the admin server, installed and registered, so that the preferences can
# install, restart and remove the service.
mkdir -p "$(dirname "$program")"
cp "$built_program" "$built_server" "$(dirname "$program")/"
w regsvr32 /s "$install_folder\\AdminManager.dll" ||
    echo "run-system: the admin server could not be registered: the preferences cannot manage the service" >&2

# With a display, the desktop client shows there, until it ends; every 10 s the provider's hosts.
if [ -z "$duration" ] && [ -n "$desktop_display" ]; then
    echo "Tarvo VEK's desktop client shows on $desktop_display; its log is VEK.log in the prefix's %LOCALAPPDATA%\\Halvenor\\VEK\\."
    if [ -z "$(setting CID)" ]; then
        cat <<'EOF'
First run: sign in with the demo account
    e-mail:    demo@example.com
    password:  demo-pass
Host selection then opens by itself: tick hosts and groups and press Save. The update for them
reaches the provider: its host list below shows the address the echo servers report.
EOF
    fi
    echo "File > Exit ends the client (its close box hides it to the tray); Ctrl-C stops everything."
    start_desktop_client "$desktop_display"
    while sleep 10; do
        alive "$desktop_pid" || { echo "the desktop client has ended"; exit 0; }
        date '+%H:%M:%S'
        operator hosts list | sed 's/^/  /'
    done
fi

# The client's settings: the registration the account dialog would have stored, the hosts the
# host selection would have chosen; the machine-wide key names the user whose settings the
# service reads (under Wine that user's key is HKEY_CURRENT_USER).
w reg add "$settings" /v CID /d "$cid" /f >/dev/null
w reg add "$settings" /v CKey /d "$(printf 'f%s' "$key" | base64 -w0)" /f >/dev/null
w reg add "$settings" /v UpdateList /d 'h[]=home.demo.example&h[]=office.demo.example&g[]=family' /f >/dev/null
sid="$(w reg query HKU | tr -d '\r' | sed -n 's/^HKEY_USERS\\\(S-1-5-21-[0-9-]*\)$/\1/p' | head -n1)"
w reg add "$machine" /v ServiceUser /d "$sid" /f >/dev/null

# The background service, started by Wine's service control manager (on demand here, so that a
# later start of this prefix does not bring it back).
w sc create "$service" binpath= "\"$install_folder\\TarvoVEK.exe\" -service" start= demand \
    DisplayName= "Tarvo VEK Service" >/dev/null
w sc start "$service" >/dev/null
check_service 30
# The service keeps its log in the machine's folder, below the common application data.
service_log="$(w winepath.exe -u 'C:\ProgramData\Halvenor\VEK\Service.log' | tr -d '\r')"
echo "Tarvo VEK runs as a service; its log: $service_log"

if [ -n "$duration" ]; then
    echo "running for $duration s; the echo servers change their address and the service restarts on the way"
else
    cat <<EOF
No display: the desktop client is not shown. To watch it under Xvfb, from another terminal:
    Xvfb :42 -screen 0 1280x1024x24 -nolisten tcp &
    export DISPLAY=:42 WINEPREFIX=$WINEPREFIX WINEARCH=$WINEARCH${WINELOADER:+ WINELOADER=$WINELOADER}
    $(command -v wine) reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f   # Wine draws the frame: no window manager
    $(command -v wine) "$program" &
    while sleep 5; do /usr/bin/python3 -c 'from PIL import ImageGrab; ImageGrab.grab(xdisplay=":42").save("vek.png")'; done
vek.png then shows the display every 5 s. With DISPLAY set, this script shows the desktop client
instead of running the service.
Ctrl-C stops it. The provider's hosts:
EOF
fi

# The smoke run's look at the desktop client, once the service has restarted: on an Xvfb display
# of the script's own, started, its window found and photographed.
photograph_desktop_client() {
    start_xvfb || exit 1
    start_desktop_client "$xvfb_display"
    local place
    if ! place="$(desktop_window_place "$xvfb_display" 60)"; then
        echo "run-system: the desktop client's window did not show; its output:" >&2
        tail -n 20 "$run/desktop-client.log" | sed 's/^/  /' >&2
        exit 1
    fi
    # Its first paint, and the labels its start timer fills.
    sleep 2
    # shellcheck disable=SC2086 # the place is four numbers
    save_screenshot "$xvfb_display" $place "$run/desktop-client.png" ||
        { echo "run-system: the desktop client's window could not be photographed" >&2; exit 1; }
    echo "the desktop client's window shows on Xvfb $xvfb_display: $run/desktop-client.png"
}
# With --for: the echo servers report an address the hosts do not carry yet after a third of
# the time, and the service restarts after two thirds. Until then no Wine command runs: a
# wineserver that lingered out would have ended the service, and the check before the restart
# finds that.
changed=203.0.113.7
hosts_carry "$changed" && changed=198.51.100.9
started=$SECONDS restarted=""
while true; do
    elapsed=$((SECONDS - started))
    if [ -n "$duration" ]; then
        [ "$elapsed" -ge "$duration" ] && break
        sleep $((duration - elapsed < 10 ? duration - elapsed : 10))
        elapsed=$((SECONDS - started))
        if [ -z "$echo_changed" ] && [ "$elapsed" -ge $((duration / 3)) ]; then
            operator echo set "$changed"
            echo_changed=yes
        fi
        if [ -z "$restarted" ] && [ "$elapsed" -ge $((duration * 2 / 3)) ]; then
            check_service
            echo "restarting the service"
            w sc stop "$service" >/dev/null
            wait_for_state STOPPED 30 || { report_service_down "$(service_state)"; exit 1; }
            w sc start "$service" >/dev/null
            check_service 30
            restarted=yes
            photograph_desktop_client
        fi
    else
        sleep 10
        check_service
    fi
    date '+%H:%M:%S'
    operator hosts list | sed 's/^/  /'
done

check_service
alive "$desktop_pid" || { echo "run-system: the desktop client ended before the run" >&2; exit 1; }
if ! hosts_carry "$changed"; then
    echo "run-system: the demo hosts do not carry $changed; the last lines of the service's log:" >&2
    tail -n 20 "$service_log" | sed 's/^/  /' >&2
    exit 1
fi
echo "after $duration s the service runs and the demo hosts carry $changed"

#!/usr/bin/env bash
# Makes sure the Wine prefix named by WINEPREFIX exists with the project's settings, and that a
# persistent wineserver serves it. Safe to call from many test processes at once.
#
# The settings: 32-bit and quiet (wine-env.sh), the crash dialog off, Tahoma and Marlett, ".htm"
# files of the "htmlfile" class, Wine's menu builder off. A prefix made by an earlier version of
# this script, or for the other architecture, is made again.
#
# The server lingers VEK_WINESERVER_LINGER seconds after its last client (default 60), or with
# "forever" stays until it is ended (`wineserver -k`). A server that already serves the prefix is
# left as it is.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must be set}"
# shellcheck source=scripts/wine-env.sh
. "$(dirname "$0")/wine-env.sh"

# The settings' version: raise it whenever make_prefix changes, so that older prefixes are remade.
readonly prefix_version=3
case "${VEK_WINESERVER_LINGER:=60}" in
forever) server_options=(-p) ;;
'' | *[!0-9]*)
    echo "wine-prefix: VEK_WINESERVER_LINGER must be a number of seconds or \"forever\"" >&2
    exit 2
    ;;
*) server_options=("-p$VEK_WINESERVER_LINGER") ;;
esac

mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock -w 600 9 || { echo "wine-prefix: lock on $WINEPREFIX timed out" >&2; exit 1; }

# A Wine command, bounded in time and silent. No Wine process may inherit the lock's descriptor:
# the server would hold the lock.
quiet() { # quiet <seconds> <command...>
    local limit="$1"
    shift
    timeout -k 5 "$limit" "$@" </dev/null >/dev/null 2>&1 9>&-
}

make_prefix() {
    # A server of an older prefix would keep its processes running on a removed folder.
    quiet 30 wineserver -k
    rm -rf "$WINEPREFIX"
    quiet 300 wineboot -u || { echo "wine-prefix: wineboot failed for $WINEPREFIX" >&2; return 1; }
    # - A crash ends the process at once instead of waiting for a click on a dialog.
    # - The menu builder stays off for every Wine command in the prefix, also those started
    #   without wine-env.sh (such as the desktop client started by hand).
    # - Wine's default prefix has the "htmlfile" class with an open command but no ".htm" key,
    #   which is where the default browser is looked up.
    cat >"$WINEPREFIX/drive_c/vek-settings.reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"winemenubuilder.exe"=""

[HKEY_CLASSES_ROOT\.htm]
@="htmlfile"
EOF
    quiet 60 wine reg import 'C:\vek-settings.reg' ||
        { echo "wine-prefix: the settings could not be imported into $WINEPREFIX" >&2; return 1; }
    rm -f "$WINEPREFIX/drive_c/vek-settings.reg"
    # This Wine looks for Tahoma only in the prefix's fonts folder and the fontconfig folders;
    # without it every layout is measured in DejaVu Sans. Marlett draws the caption buttons.
    cp /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf \
        /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" ||
        { echo "wine-prefix: Tahoma or Marlett is missing (package fonts-wine)" >&2; return 1; }
    quiet 60 wineserver -w
    echo "$prefix_version $WINEARCH" >"$WINEPREFIX/.vek-ready"
}

if [ "$(cat "$WINEPREFIX/.vek-ready" 2>/dev/null)" != "$prefix_version $WINEARCH" ]; then
    make_prefix || exit 1
fi

# A persistent server spares every test process the server's start and linger. The first program
# of a session also starts Wine's own system processes, which live as long as the server: they
# are started here with their output going nowhere, so that they hold no test runner's pipe open.
# The lock is held until they run, so that no test starts them first.
if timeout 5 wineserver "${server_options[@]}" </dev/null >/dev/null 2>&1 9>&-; then
    quiet 60 wine cmd.exe /c exit 0 || true
    # Without a display that first program also starts a desktop process that gives up about a
    # second later; a window made meanwhile would never appear. Wait (bounded) until it is gone.
    for _ in $(seq 50); do
        pgrep -f 'explorer.exe /desktop' >/dev/null || break
        sleep 0.2
    done
fi
exit 0

#!/usr/bin/env bash
# Makes sure the Wine prefix named by WINEPREFIX exists (32-bit, quiet, crash dialog off) and
# that a persistent wineserver serves it. Safe to call from many test processes at once.
set -u
: "${WINEPREFIX:?WINEPREFIX must be set}"
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock -w 600 9 || { echo "wine-prefix: lock on $WINEPREFIX timed out" >&2; exit 1; }

if [ ! -f "$WINEPREFIX/.vek-ready" ]; then
    rm -rf "$WINEPREFIX"
    # No Wine process may inherit the lock's descriptor: the server would hold the lock.
    if ! timeout -k 5 300 wineboot -u >/dev/null 2>&1 9>&-; then
        echo "wine-prefix: wineboot failed for $WINEPREFIX" >&2
        exit 1
    fi
    # A crash must end the process at once instead of waiting for a click on a dialog.
    timeout -k 5 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 9>&-
    # Web links open in the browser registered for ".htm": Wine has the "htmlfile" class (its
    # own browser) but no ".htm" key.
    timeout -k 5 60 wine reg add 'HKCR\.htm' /ve /d htmlfile /f >/dev/null 2>&1 9>&-
    timeout -k 5 60 wineserver -w 9>&-
    touch "$WINEPREFIX/.vek-ready"
fi

# A persistent server spares every test process the server's start and linger; it ends by itself
# a minute after its last client. The first program of a session also starts Wine's own system
# processes, which live as long as the server: they are started here with their output going
# nowhere, so that they hold no test runner's pipe open.
# The lock is held until they run, so that no test starts them first.
if timeout 5 wineserver -p60 </dev/null >/dev/null 2>&1 9>&-; then
    timeout -k 5 60 wine cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 9>&-
    # Without a display that first program also starts a desktop process that gives up about a
    # second later; a window made meanwhile would never appear. Wait (bounded) until it is gone.
    for _ in $(seq 50); do
        pgrep -f 'explorer.exe /desktop' >/dev/null || break
        sleep 0.2
    done
fi
exit 0

#!/usr/bin/env bash
# Runs the whole system on this machine, on the program's built-in endpoints: the reference
# provider on loopback with its demo account, and Tarvo VEK under Wine as the background service,
# registered with the demo client id and key, keeping the demo hosts pointed at the address the
# IP-echo servers report. Ctrl-C stops the service, removes it and stops the provider.
#
# Other terminals may act on the running system meanwhile, e.g. (paths from the repository root):
#   build/native/provider/tarvo-provider --data build/run/provider echo set 203.0.113.7
#   build/native/provider/tarvo-provider --data build/run/provider hosts list
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs="$(nproc)"
cmake -S . -B build/native -G Ninja >/dev/null
cmake --build build/native -j "$jobs" --target tarvo-provider
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/win -j "$jobs" --target TarvoVEK ImportRootCA

run="$PWD/build/run"
data="$run/provider"
provider="$PWD/build/native/provider/tarvo-provider"
program="$PWD/build/win/Main/TarvoVEK.exe"
settings='HKCU\Software\Halvenor\VEK\v3'
machine='HKLM\Software\Halvenor\VEK\v3'
mkdir -p "$run"
export WINEPREFIX="$run/wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
scripts/wine-prefix.sh
w() { timeout -k 5 120 wine "$@" </dev/null; }

provider_pid=""
cleanup() {
    trap - EXIT INT TERM
    echo "stopping: the service, the provider"
    w sc stop TarvoVEKService3 >/dev/null 2>&1 || true
    for _ in $(seq 30); do
        state="$(w sc query TarvoVEKService3 2>/dev/null || true)"
        if [ -z "$state" ] || grep -q STOPPED <<<"$state"; then break; fi
        sleep 0.5
    done
    w sc delete TarvoVEKService3 >/dev/null 2>&1 || true
    w reg delete "$machine" /f >/dev/null 2>&1 || true
    [ -n "$provider_pid" ] && kill "$provider_pid" 2>/dev/null || true
    timeout 30 wineserver -k 2>/dev/null || true
}
trap cleanup EXIT INT TERM

# The provider: the demo account, then every server on its default endpoint.
"$provider" --data "$data" demo >"$run/provider.log" 2>&1 &
provider_pid=$!
for _ in $(seq 600); do
    grep -qx ready "$run/provider.log" && break
    kill -0 "$provider_pid" 2>/dev/null || { cat "$run/provider.log"; exit 1; }
    sleep 0.1
done
grep -qx ready "$run/provider.log" || { echo "the provider did not start" >&2; exit 1; }
sed -n '1,/^ready$/p' "$run/provider.log" | grep -v "client key"
cid="$(sed -n 's/^demo client id: *//p' "$run/provider.log" | head -n1)"
key="$(sed -n 's/^demo client key: *//p' "$run/provider.log" | head -n1)"

# The client trusts the provider's certificate authority, the Windows way.
w "$PWD/build/win/tools/ImportRootCA.exe" "Z:$data/ca.pem" >/dev/null

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
w sc create TarvoVEKService3 binpath= "\"$(winepath -w "$program")\" -service" start= demand \
    DisplayName= "Tarvo VEK Service" >/dev/null
w sc start TarvoVEKService3 >/dev/null
log="$(winepath -u "$(w reg query "$settings" /v LogPath | tr -d '\r' | sed -n 's/.*REG_SZ *//p')" 2>/dev/null || true)"
echo "Tarvo VEK runs as a service; its log: ${log}Service.log"
echo "Ctrl-C stops it. The provider's hosts:"
while true; do
    sleep 10
    date '+%H:%M:%S'
    "$provider" --data "$data" hosts list | sed 's/^/  /'
done

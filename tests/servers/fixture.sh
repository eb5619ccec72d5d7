#!/usr/bin/env bash
# Starts or stops the network test servers for a ctest fixture.
#   fixture.sh start <dir> <vek_netfixture> [command that imports <dir>/trusted/ca.pem...]
#   fixture.sh stop <dir>
# The ports reach the tests through <dir>/ports.env.
set -euo pipefail
action="$1"
dir="$2"
here="$(cd "$(dirname "$0")" && pwd)"

stop() {
    if [ -f "$dir/server.pid" ]; then
        pid="$(cat "$dir/server.pid")"
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        rm -f "$dir/server.pid"
    fi
}

case "$action" in
start)
    server="$3"
    shift 3
    stop
    mkdir -p "$dir"
    "$here/make-certs.sh" "$dir"
    rm -f "$dir/ports.env"
    setsid "$server" "$dir" </dev/null >"$dir/server.log" 2>&1 &
    echo $! > "$dir/server.pid"
    for _ in $(seq 100); do [ -f "$dir/ports.env" ] && break; sleep 0.1; done
    if [ ! -f "$dir/ports.env" ]; then
        cat "$dir/server.log" >&2
        stop
        exit 1
    fi
    if [ "$#" -gt 0 ]; then
        "$@" "Z:$dir/trusted/ca.pem"
    fi
    ;;
stop)
    stop
    ;;
esac

#!/usr/bin/env bash
# The reference provider as a ctest fixture: the real tarvo-provider serving on the endpoints the
# program has built in, with a fresh store, its CA trusted by the Wine prefix.
#
#   provider.sh start <state-dir> <tarvo-provider> <wine-run> <ImportRootCA.exe>
#       Empties the store of <state-dir>/data (the CA and server certificate are kept, so the
#       prefix's root store gains no second CA of the same name), starts
#       `tarvo-provider --data <state-dir>/data serve --quiet` on the endpoints named by the
#       environment (the names and forms of the CMake cache variables):
#         VEK_UPDATE_SERVER      address:port       update server, HTTP
#         VEK_UPDATE_SERVER_TLS  host:port          update server, HTTPS (certificate for host)
#         VEK_HTTP_ECHO_1/_2     address:port       HTTP IP-echo servers
#         VEK_DNS_ECHO_1/_2      address or host    DNS IP-echo servers
#         VEK_DNS_ECHO_PORT      port               their UDP port
#       waits (bounded) for its "ready" line, then imports <state-dir>/data/ca.pem into the
#       prefix's LocalMachine\Root with `<wine-run> <ImportRootCA.exe>`.
#       The endpoints are the same for every build tree of this machine: a start waits (at most
#       VEK_PROVIDER_LOCK_WAIT seconds, default 600) while another tree's fixture holds them.
#   provider.sh stop <state-dir>
#       Stops it (SIGTERM, then SIGKILL after 10 s). The store stays for inspection.
#   provider.sh cmd <state-dir> <operator args...>
#       Runs `tarvo-provider --data <state-dir>/data <operator args...>` (e.g. `account add ...`,
#       `client issue ...`, `hosts list`, `echo set ...`), its output and exit status as they are.
#
# Files in <state-dir>: data/ (the provider's data folder), provider.pid, provider.out (its
# endpoints and "ready"), provider.log (its standard error), provider.env (the program's path).
set -euo pipefail

usage() {
    sed -n '2,/^set -euo/p' "$0" | sed '$d' >&2
    exit 2
}

[ "$#" -ge 2 ] || usage
action="$1"
state="$(realpath -m "$2")"
shift 2
data="$state/data"
lock_file=/tmp/vek-provider-default-endpoints.lock
owner_file=/tmp/vek-provider-default-endpoints.owner

fail() {
    echo "provider.sh: $*" >&2
    exit 1
}

# The recorded process, if it is still a tarvo-provider (a pid can be reused).
running_pid() {
    [ -f "$state/provider.pid" ] || return 1
    local pid
    pid="$(cat "$state/provider.pid")"
    [ -n "$pid" ] && tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q tarvo-provider || return 1
    echo "$pid"
}

stop() {
    local pid
    if pid="$(running_pid)"; then
        kill -TERM "$pid" 2>/dev/null || true
        for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        if kill -0 "$pid" 2>/dev/null; then
            echo "provider.sh: tarvo-provider $pid ignored SIGTERM; killed" >&2
            kill -KILL "$pid" 2>/dev/null || true
        fi
    fi
    rm -f "$state/provider.pid"
}

# An IPv4 address for a host name (an address stays as it is).
address_of() {
    if [[ "$1" =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
        echo "$1"
    else
        getent ahostsv4 "$1" | awk 'NR == 1 { print $1 }' | grep . || fail "cannot resolve $1"
    fi
}

serve_options() {
    local name
    for name in VEK_UPDATE_SERVER VEK_UPDATE_SERVER_TLS VEK_HTTP_ECHO_1 VEK_HTTP_ECHO_2 \
                VEK_DNS_ECHO_1 VEK_DNS_ECHO_2 VEK_DNS_ECHO_PORT; do
        [ -n "${!name:-}" ] || fail "$name is not set (the endpoint cache variables)"
    done
    local tls_host="${VEK_UPDATE_SERVER_TLS%:*}"
    local tls_port="${VEK_UPDATE_SERVER_TLS##*:}"
    local dns_port="$VEK_DNS_ECHO_PORT"
    echo --http "$VEK_UPDATE_SERVER" \
         --https "$(address_of "$tls_host"):$tls_port" --https-host "$tls_host" \
         --echo-http "$VEK_HTTP_ECHO_1,$VEK_HTTP_ECHO_2" \
         --echo-dns "$(address_of "$VEK_DNS_ECHO_1"):$dns_port,$(address_of "$VEK_DNS_ECHO_2"):$dns_port"
}

start() {
    [ "$#" -eq 3 ] || usage
    local provider="$1" wine_run="$2" importer="$3"
    [ -x "$provider" ] || fail "no such program: $provider"
    local options
    options="$(serve_options)"
    stop
    mkdir -p "$data"
    rm -f "$data"/provider.sqlite3 "$data"/provider.sqlite3-wal "$data"/provider.sqlite3-shm
    printf 'TARVO_PROVIDER=%q\n' "$provider" >"$state/provider.env"
    rm -f "$state/provider.out"

    # The lock on the machine's default endpoints goes with the server: its descriptor is
    # inherited by tarvo-provider alone and is released when that process ends.
    (
        exec 8>"$lock_file"
        if ! flock -w "${VEK_PROVIDER_LOCK_WAIT:-600}" 8; then
            fail "the default endpoints stay held by another provider fixture: $(cat "$owner_file" 2>/dev/null)"
        fi
        echo "$state" >"$owner_file"
        # shellcheck disable=SC2086 # the options are words without blanks
        setsid "$provider" --data "$data" serve $options --quiet \
            </dev/null >"$state/provider.out" 2>"$state/provider.log" &
        echo $! >"$state/provider.pid"
    )

    local pid
    pid="$(cat "$state/provider.pid")"
    for _ in $(seq 300); do
        grep -qx ready "$state/provider.out" 2>/dev/null && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if ! grep -qx ready "$state/provider.out" 2>/dev/null; then
        cat "$state/provider.out" "$state/provider.log" >&2 || true
        stop
        fail "tarvo-provider did not become ready within 30 s"
    fi
    if ! "$wine_run" "$importer" "Z:$data/ca.pem" 8>&-; then
        stop
        fail "the provider's CA could not be imported into the Wine prefix"
    fi
}

case "$action" in
start) start "$@" ;;
stop) stop ;;
cmd)
    [ -f "$state/provider.env" ] || fail "no provider was started in $state"
    # shellcheck source=/dev/null
    . "$state/provider.env"
    exec "$TARVO_PROVIDER" --data "$data" "$@"
    ;;
*) usage ;;
esac

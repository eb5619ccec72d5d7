#!/usr/bin/env bash
# The background service end to end, with real processes on loopback: the reference provider
# (fixture vek_provider) with an account and a client id and key issued by its operator command;
# those stored where the service reads them; the service installed through the admin server
# (fixture vek_admin_server) and started by the service control manager; the address found by
# the DNS-format query and submitted, the provider's hosts changed; an address change reaching
# the hosts after a restart; finally "-unregister" removing it all. The service is removed in
# every case when the script ends.
#
#   service-e2e.sh <provider.sh> <provider state> <wine-run> <helper.exe> <TarvoVEK.exe> <work dir>
set -euo pipefail
[ "$#" -eq 6 ] || { sed -n '2,/^set -euo/p' "$0" | sed '$d' >&2; exit 2; }
provider_script="$1" state="$2" wine_run="$3" helper="$4" program="$5" work="$6"

# Every wait is bounded: a check runs 50 ms after the service starts, so a minute is ample.
readonly deadline_seconds=60
readonly first_address=203.0.113.7
readonly second_address=198.51.100.9
readonly email="service-e2e-$$@example.com"

provider() { bash "$provider_script" cmd "$state" "$@"; }
windows() { VEK_WINE_TIMEOUT=120 "$wine_run" "$@" </dev/null; }
helper() { windows "$helper" "$@"; }
windows_path() { local path="Z:$1"; echo "${path//\//\\}"; }
fail() {
    echo "FAILED: $*" >&2
    echo "--- provider hosts:" >&2
    provider hosts list "$email" >&2 || true
    echo "--- Service.log:" >&2
    helper service-log >&2 || true
    exit 1
}

cleanup() {
    helper remove || echo "the service could not be removed" >&2
    provider echo clear >/dev/null || true
}
trap cleanup EXIT

# Polls the provider's listing until both hosts show the address, within the deadline.
wait_for_hosts() {
    local address="$1" listing
    for _ in $(seq $((deadline_seconds * 2))); do
        listing="$(provider hosts list "$email")"
        if [ "$(grep -c "  $address  " <<<"$listing")" -eq 2 ]; then
            return 0
        fi
        sleep 0.5
    done
    fail "the hosts did not reach $address within ${deadline_seconds} s"
}

rm -rf "$work"
mkdir -p "$work"
helper remove || fail "a service left by an earlier run could not be removed"

provider account add "$email" secret --host home.e2e.example --host cabin.e2e.example \
    --group family=cabin.e2e.example >/dev/null
issued="$(provider client issue "$email")"
cid="$(awk '/^client id:/ { print $3 }' <<<"$issued")"
ckey="$(awk '/^client key:/ { print $3 }' <<<"$issued")"
if [ -z "$cid" ] || [ -z "$ckey" ]; then fail "no client issued: $issued"; fi
provider echo set "$first_address" >/dev/null

store="$(helper store "$cid" "$ckey" 'h[]=home.e2e.example&g[]=family' "$(windows_path "$work")\\")"
echo "$store"
# The "-unregister" run below reads the user's own key; under Wine it is the service's key.
grep -q "HKEY_CURRENT_USER's: yes" <<<"$store" || fail "the service's key is not the user's key"

echo "installing the service"
helper install "$(windows_path "$program")" || fail "the admin server did not install the service"
helper wait-state 4 $((deadline_seconds * 1000)) || fail "the service is not running"
wait_for_hosts "$first_address"
service_log="$(helper service-log)"
grep -q "IP changed, submitting updates" <<<"$service_log" || fail "no submission logged"
grep -q "GoodUpdateCount=2,BadUpdatecount=0" <<<"$service_log" || fail "no counts line"

echo "changing the address and restarting the service"
provider echo set "$second_address" >/dev/null
helper restart "$(windows_path "$program")" || fail "the admin server did not restart the service"
helper wait-state 4 $((deadline_seconds * 1000)) || fail "the service is not running again"
wait_for_hosts "$second_address"

echo "unregistering"
provider client enable "$cid" >/dev/null || fail "the client id is unknown before -unregister"
windows "$program" -unregister || fail "-unregister failed"
helper wait-state 0 $((deadline_seconds * 1000)) || fail "the service is still installed"
[ "$(helper machine-key)" = absent ] || fail "the machine-wide key is still there"
if provider client enable "$cid" >/dev/null 2>&1; then
    fail "the provider still knows the client id"
fi
[ "$(helper user-client)" = "$cid $ckey" ] || fail "the user's client id or key changed"
service_log="$(helper service-log)"
grep -q '\*\*\*Logging ending.\*\*\*' <<<"$service_log" || fail "the service did not end its log"
echo "the service end to end: every step done"

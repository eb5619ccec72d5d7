# shellcheck shell=bash
# What the exchange scripts share; each script sources it with its own arguments:
#   <script> <provider-state-dir> <wine-run> <e2e_client_probe.exe>
# The provider runs (fixture vek_provider); operator commands go to it natively, the client side
# runs under Wine through the probe. The first failed expectation ends the script non-zero.
set -euo pipefail

if [ "$#" -ne 3 ]; then
    echo "usage: $0 <provider-state-dir> <wine-run> <e2e_client_probe.exe>" >&2
    exit 2
fi
E2E_STATE="$1"
E2E_WINE_RUN="$2"
E2E_PROBE="$3"
E2E_HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# No probe run may take long: each request of the client core is bounded well below this.
export VEK_WINE_TIMEOUT=60

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if ! kill -0 "$(cat "$E2E_STATE/provider.pid" 2>/dev/null)" 2>/dev/null; then
    fail "the provider fixture does not run in $E2E_STATE"
fi

# An operator command of the provider; its output on stdout. A refusal fails the script.
provider() {
    bash "$E2E_HERE/provider.sh" cmd "$E2E_STATE" "$@" || fail "tarvo-provider $* exited with $?"
}

# One exchange of the client core: sets REPLY to the probe's output, byte for byte.
client() {
    REPLY="$("$E2E_WINE_RUN" "$E2E_PROBE" "$@"; echo ".$?")"
    local status="${REPLY##*.}"
    REPLY="${REPLY%.*}"
    [ "$status" = 0 ] || fail "e2e_client_probe $1 exited with $status"
}

expect_eq() { # what actual expected
    [ "$2" == "$3" ] || fail "$1: got $(printf %q "$2"), expected $(printf %q "$3")"
}

expect_match() { # what actual extended-regex
    [[ "$2" =~ $3 ]] || fail "$1: $(printf %q "$2") does not match $3"
}

expect_no_match() { # what actual extended-regex
    [[ ! "$2" =~ $3 ]] || fail "$1: $(printf %q "$2") matches $3"
}

# Issues a client id and key for an account: sets CLIENT_ID and CLIENT_KEY.
issue_client() {
    local issued
    issued="$(provider client issue "$1")"
    CLIENT_ID="$(awk '$1 == "client" && $2 == "id:" { print $3 }' <<<"$issued")"
    CLIENT_KEY="$(awk '$1 == "client" && $2 == "key:" { print $3 }' <<<"$issued")"
    if [ -z "$CLIENT_ID" ] || [ -z "$CLIENT_KEY" ]; then
        fail "no client issued for $1"
    fi
}

# The address the provider's store holds for a host ("-" for none).
stored_address() {
    provider hosts list | awk -v host="$1" '$1 == host { print $2 }'
}

# Posts a notice or an alert (kind title body [--link url]): sets POSTED to its id.
post() {
    local said
    said="$(provider "$1" post "${@:2}")"
    POSTED="$(awk '$3 == "posted" { print $2 }' <<<"$said")"
    [ -n "$POSTED" ] || fail "no $1 posted"
}

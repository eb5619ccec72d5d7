#!/usr/bin/env bash
# Public-IP detection by the client core against the provider's echo servers: by HTTP echo
# (AlternateIP true) and by DNS echo (false), each from the first server once more than the
# method's limit (10 s, 20 s) has passed since the previous detection and from the second server
# within it; first the address the request comes from, then the operator's address (`echo set`)
# and a change of it. The probe silences the server it must not choose, so an address proves
# the choice and that server's answer.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

trap 'provider echo clear >/dev/null' EXIT
provider echo clear >/dev/null

# method (1 HTTP, 0 DNS), server, milliseconds since the previous detection
cases=("1 1 10001" "1 2 10000" "1 2 0" "0 1 20001" "0 2 20000" "0 2 0")

detect() { # method server elapsed
    client detect "$1" "$3" "$2"
}

expect_all() { # extended-regex what
    local c method server elapsed
    for c in "${cases[@]}"; do
        read -r method server elapsed <<<"$c"
        detect "$method" "$server" "$elapsed"
        expect_match "$2 (method $method, server $server, $elapsed ms after the last)" \
            "$REPLY" "$1"
    done
}

# Waits until the servers report the operator's address: read again within a second.
await_echo() { # address
    for _ in $(seq 20); do
        detect 1 1 10001
        [ "$REPLY" = "$1" ] && return 0
        sleep 0.5
    done
    fail "the echo servers do not report $1 within 10 s (last: $REPLY)"
}

expect_all '^127\.[0-9]+\.[0-9]+\.[0-9]+$' "the address the request came from"

# The silenced server really answers nothing: the wrong choice would give no address.
detect 1 2 10001
expect_eq "HTTP echo from the silenced first server" "$REPLY" ""
detect 0 1 20000
expect_eq "DNS echo from the silenced second server" "$REPLY" ""

provider echo set 203.0.113.7 >/dev/null
await_echo 203.0.113.7
expect_all '^203\.0\.113\.7$' "the operator's address"
provider echo set 203.0.113.8 >/dev/null
await_echo 203.0.113.8
expect_all '^203\.0\.113\.8$' "the operator's changed address"
echo "echo: all expectations met"

#!/usr/bin/env bash
# Runs the first-run test against the provider fixture and then looks at the provider's side: for
# the test's length the echo servers report an address the demo hosts do not carry yet (passed
# to the test as VEK_FIRST_RUN_ADDRESS); afterwards every demo host must carry it: office and
# garden chosen by name, home and cabin through the group "family".
#   first-run.sh <provider.sh> <provider-state-dir> <wine-run> <test program> [arguments...]
set -euo pipefail
provider_script="$1"
state="$2"

operator() { bash "$provider_script" cmd "$state" "$@"; }

# Whether the demo account has hosts and all of them carry the address.
demo_hosts_carry() {
    operator hosts list demo@example.com 2>/dev/null |
        awk -v address="$1" '$2 != address { wrong = 1 } END { exit wrong || NR == 0 }'
}

address=203.0.113.61
demo_hosts_carry "$address" && address=203.0.113.62
operator echo set "$address" >/dev/null
trap 'operator echo clear >/dev/null' EXIT
VEK_FIRST_RUN_ADDRESS="$address" bash "$(dirname "$0")/with-accounts.sh" "$@"
if ! demo_hosts_carry "$address"; then
    echo "first-run.sh: the demo hosts do not all carry $address:" >&2
    operator hosts list demo@example.com >&2
    exit 1
fi
echo "first-run.sh: the provider's demo hosts carry $address"

#!/usr/bin/env bash
# Runs a window test against the provider fixture, once the accounts it signs in with exist
# (AccountDialogTest.cpp and FirstRunTest.cpp name the same ones):
#   with-accounts.sh <provider.sh> <provider-state-dir> <wine-run> <test program> [arguments...]
set -euo pipefail
provider_script="$1"
state="$2"
wine_run="$3"
shift 3

# An account that exists already (a second run against the same fixture) is refused with 1.
add_account() {
    local status=0
    bash "$provider_script" cmd "$state" account add "$@" >/dev/null || status=$?
    [ "$status" -le 1 ] || { echo "with-accounts.sh: account add $1 failed ($status)" >&2; exit 1; }
}

# The demo account, with a second host in no group beside office.
add_account demo@example.com demo-pass --host home.demo.example --host office.demo.example \
    --host cabin.demo.example --host garden.demo.example \
    --group family=home.demo.example,cabin.demo.example
add_account 'x+y&z=%~@example.com' 'p% ~!@#$^&*()+`=[]w' --host special.demo.example
exec "$wine_run" "$@"

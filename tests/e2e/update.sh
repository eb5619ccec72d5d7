#!/usr/bin/env bash
# Updates with the client's own signed request: hosts and a group change the addresses in the
# provider's store (seen through its own listing) with the reply codes the client reads; missing
# names, a wrong signature, an unknown client, a banned account, a disabled client and a barred
# client version are refused and change nothing.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

email=upd@example.com
provider account add "$email" upd-pass --host one.upd.example --host two.upd.example \
    --host three.upd.example --group pair=one.upd.example,two.upd.example >/dev/null
provider account add other@example.com other-pass --host foreign.other.example >/dev/null
issue_client "$email"

update() { # update-list address: the client's update request, reply in REPLY
    client update "$CLIENT_ID" "$CLIENT_KEY" "$1" "$2"
}

expect_stored() { # host address
    expect_eq "stored address of $1" "$(stored_address "$1")" "$2"
}

# Hosts: updated (1), then unchanged (0).
update 'h[]=one.upd.example&h[]=three.upd.example' 198.51.100.11
expect_eq "update of two hosts" "$REPLY" $'one.upd.example:1\nthree.upd.example:1\n'
expect_stored one.upd.example 198.51.100.11
expect_stored three.upd.example 198.51.100.11
expect_stored two.upd.example -
update 'h[]=one.upd.example&h[]=three.upd.example' 198.51.100.11
expect_eq "update of two unchanged hosts" "$REPLY" $'one.upd.example:0\nthree.upd.example:0\n'

# A group: every host of it changes (11), then none does (12); other hosts stay.
update 'g[]=pair' 198.51.100.12
expect_eq "update of a group" "$REPLY" $'pair:11\n'
expect_stored one.upd.example 198.51.100.12
expect_stored two.upd.example 198.51.100.12
expect_stored three.upd.example 198.51.100.11
update 'g[]=pair' 198.51.100.12
expect_eq "update of an unchanged group" "$REPLY" $'pair:12\n'

# Missing names: no such host (2), no such group (8), another account's host (10).
update 'h[]=nothere.upd.example&g[]=nogroup&h[]=foreign.other.example' 198.51.100.13
expect_eq "update of missing names" "$REPLY" \
    $'nothere.upd.example:2\nnogroup:8\nforeign.other.example:10\n'
expect_stored foreign.other.example -

# Refusals: each item gets the refusal's code and no address changes.
refused() { # what code [client-id client-key]
    client update "${3:-$CLIENT_ID}" "${4:-$CLIENT_KEY}" 'h[]=three.upd.example&g[]=pair' 198.51.100.14
    expect_eq "$1" "$REPLY" "three.upd.example:$2"$'\n'"pair:$2"$'\n'
    expect_stored three.upd.example 198.51.100.11
    expect_stored one.upd.example 198.51.100.12
}
refused "update signed with a wrong key" 4 "$CLIENT_ID" 0123456789abcdef0123456789abcdef
refused "update of an unknown client" 3 00000000000000000000 "$CLIENT_KEY"

restore() {
    provider version unbar 3.0.4 >/dev/null
    provider unban "$email" >/dev/null
    provider client enable "$CLIENT_ID" >/dev/null
}
trap restore EXIT
provider ban "$email" >/dev/null
refused "update of a banned account" 6
provider unban "$email" >/dev/null
provider client disable "$CLIENT_ID" >/dev/null
refused "update of a disabled client" 98
provider client enable "$CLIENT_ID" >/dev/null
# The version the client sends in its user agent, "VEK v3.0.4/...".
provider version bar 3.0.4 >/dev/null
refused "update from a barred client version" 99
provider version unbar 3.0.4 >/dev/null

update 'h[]=three.upd.example' 198.51.100.14
expect_eq "update after the refusals are lifted" "$REPLY" $'three.upd.example:1\n'
expect_stored three.upd.example 198.51.100.14
echo "update: all expectations met"

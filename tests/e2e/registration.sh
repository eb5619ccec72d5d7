#!/usr/bin/env bash
# Registration over HTTPS with the client's own request: a right password gives a client id and
# key that sign the client's later requests; a wrong password, an unknown or banned account give
# a reply the account dialog takes for a failure. Then the client's unregistration.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

email=reg@example.com
# Characters the client escapes ("&", "+", "%", "=", blank, "#", brackets) reach the server intact.
password='Pa&ss +%=w#[1]'
provider account add "$email" "$password" --host home.reg.example >/dev/null

register() { # email password: sets ID and KEY from the reply
    client register "$1" "$2"
    expect_match "registration reply" "$REPLY" '^<\?xml version'
    ID="$(sed -n 's:.*<id>\([^<]*\)</id>.*:\1:p' <<<"$REPLY")"
    KEY="$(sed -n 's:.*<key>\([^<]*\)</key>.*:\1:p' <<<"$REPLY")"
    expect_match "client id" "$ID" '^[0-9a-f]{20}$'
    expect_match "client key" "$KEY" '^[0-9a-f]{32}$'
}

register "$email" "$password"
first_id="$ID" first_key="$KEY"
client hosts "$first_id" "$first_key"
expect_eq "host list signed with the registered key" "$REPLY" $'#,home.reg.example\n'

register "$email" "$password"
expect_no_match "second registration" "$ID" "^$first_id\$"
second_id="$ID" second_key="$KEY"

# The dialog accepts only a reply that begins with "<?xml version"; the provider's refusal is an
# HTTP error, which HttpGet gives as its status code.
client register "$email" 'Pa&ss +%=w#[2]'
expect_eq "registration with a wrong password" "$REPLY" 403
client register nobody@example.com "$password"
expect_eq "registration of an unknown account" "$REPLY" 403
provider ban "$email" >/dev/null
trap 'provider unban "$email" >/dev/null' EXIT
client register "$email" "$password"
expect_eq "registration of a banned account" "$REPLY" 403
provider unban "$email" >/dev/null
trap - EXIT

# An accented letter of the password travels as its ANSI byte ("%E9" for "é"), the byte the
# account was made with. Wine reads the probe's command line in the locale's character set.
accented=accent@example.com
provider account add "$accented" $'Caf\xe9 & cr\xe8me' >/dev/null
LANG=C.UTF-8 client register "$accented" 'Café & crème'
expect_match "registration with an accented password" "$REPLY" '^<\?xml version.*<id>'
LANG=C.UTF-8 client register "$accented" 'Cafe & creme'
expect_eq "registration without the accents" "$REPLY" 403

# The client's unregistration removes its id; the account's other client stays.
client unregister "$first_id" "$first_key"
client hosts "$first_id" "$first_key"
expect_eq "host list of an unregistered client" "$REPLY" status=3
client hosts "$second_id" "$second_key"
expect_eq "host list of the other client" "$REPLY" $'#,home.reg.example\n'
echo "registration: all expectations met"

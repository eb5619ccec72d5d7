#!/usr/bin/env bash
# The host list and the notices, each a signed request of the client core: the records of the
# account's hosts and groups; the notices and alerts newer than the ids sent, with the account's
# values; root "disabled" for a disabled client; refusals for a wrong key and an unknown id.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

email=list@example.com
provider account add "$email" list-pass --host a.list.example --host b.list.example \
    --host c.list.example --group west=a.list.example,c.list.example \
    --group east=c.list.example >/dev/null
issue_client "$email"

# One record per group a host is in, "#" for a host in none; one line end after the last.
client hosts "$CLIENT_ID" "$CLIENT_KEY"
expect_eq "host list" "$REPLY" \
    $'#,b.list.example|east,c.list.example|west,a.list.example|west,c.list.example\n'
client hosts "$CLIENT_ID" 0123456789abcdef0123456789abcdef
expect_eq "host list signed with a wrong key" "$REPLY" status=3
client hosts 00000000000000000000 "$CLIENT_KEY"
expect_eq "host list of an unknown client" "$REPLY" status=3

provider account set "$email" --interval 900000 --enhanced on --error 'Payment due' >/dev/null
post notice 'First notice' 'Body one' --link http://example.com/n1
notice1="$POSTED"
post alert 'First alert' 'Alert body'
alert1="$POSTED"

# -1: the ids the client sends while it has stored none.
client notices "$CLIENT_ID" "$CLIENT_KEY" -1 -1
expect_match "notices reply" "$REPLY" '^<\?xml version[^>]*\?>'$'\n''<user>'
expect_match "new notice" "$REPLY" "<notice id=\"$notice1\" title=\"First notice\" link=\"http://example.com/n1\">Body one</notice>"
expect_match "new alert" "$REPLY" "<alert id=\"$alert1\" title=\"First alert\" link=\"\">Alert body</alert>"
expect_match "account values" "$REPLY" \
    '<enhanced>true</enhanced>.*<remoteinterval>900000</remoteinterval><error>Payment due</error><email>list@example\.com</email></user>'

client notices "$CLIENT_ID" "$CLIENT_KEY" "$notice1" "$alert1"
expect_no_match "notices up to the ids sent" "$REPLY" '<notice |<alert '
post notice 'Second notice' 'Body two'
notice2="$POSTED"
client notices "$CLIENT_ID" "$CLIENT_KEY" "$notice1" "$alert1"
expect_match "the notice after the id sent" "$REPLY" "<notice id=\"$notice2\" title=\"Second notice\""
expect_no_match "the notice of the id sent" "$REPLY" "<notice id=\"$notice1\""
provider account set "$email" --no-error >/dev/null
client notices "$CLIENT_ID" "$CLIENT_KEY" "$notice2" "$alert1"
expect_no_match "notices without an account error" "$REPLY" '<error>'

# A client disabled within the account: root "disabled", and no host list.
provider client disable "$CLIENT_ID" >/dev/null
trap 'provider client enable "$CLIENT_ID" >/dev/null' EXIT
client notices "$CLIENT_ID" "$CLIENT_KEY" 0 0
expect_match "notices of a disabled client" "$REPLY" '^<\?xml version[^>]*\?>'$'\n''<disabled ?/>'
client hosts "$CLIENT_ID" "$CLIENT_KEY"
expect_eq "host list of a disabled client" "$REPLY" status=3
provider client enable "$CLIENT_ID" >/dev/null
client notices "$CLIENT_ID" "$CLIENT_KEY" "$notice2" "$alert1"
expect_match "notices of the client enabled again" "$REPLY" '<user>'

# A wrong key or an unknown id is refused with an HTTP error, which the client retries later.
client notices "$CLIENT_ID" 0123456789abcdef0123456789abcdef 0 0
expect_eq "notices signed with a wrong key" "$REPLY" 403
client notices 00000000000000000000 "$CLIENT_KEY" 0 0
expect_eq "notices of an unknown client" "$REPLY" 403
echo "host list and notices: all expectations met"

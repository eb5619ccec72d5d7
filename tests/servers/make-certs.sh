#!/usr/bin/env bash
# Makes two throw-away certificate authorities in <dir>/trusted and <dir>/untrusted, each with a
# server certificate for "localhost": the tests import only the first into the Wine prefix.
set -euo pipefail
dir="$1"
for kind in trusted untrusted; do
    out="$dir/$kind"
    mkdir -p "$out"
    [ -f "$out/server.pem" ] && continue
    openssl req -x509 -newkey rsa:2048 -nodes -days 30 -keyout "$out/ca.key" -out "$out/ca.pem" \
        -subj "/CN=VEK test CA ($kind)" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
        2>/dev/null
    openssl req -newkey rsa:2048 -nodes -keyout "$out/server.key" -out "$out/server.csr" \
        -subj "/CN=localhost" 2>/dev/null
    printf '%s\n' "subjectAltName=DNS:localhost" "basicConstraints=CA:FALSE" \
        "keyUsage=critical,digitalSignature,keyEncipherment" "extendedKeyUsage=serverAuth" \
        > "$out/server.ext"
    openssl x509 -req -in "$out/server.csr" -CA "$out/ca.pem" -CAkey "$out/ca.key" \
        -CAcreateserial -days 30 -extfile "$out/server.ext" -out "$out/server.pem" 2>/dev/null
done

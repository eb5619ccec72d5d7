#!/usr/bin/env bash
# Starts the reference provider on this machine with one command: installs the packages, builds
# the provider natively and runs it. Without arguments it runs "demo" (the demo account, then
# every server on its default loopback endpoint); any arguments are passed to tarvo-provider
# instead, e.g. scripts/run-provider.sh serve --quiet
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
dir="${PROVIDER_BUILD_DIR:-build/provider}"
cmake -S . -B "$dir" -G Ninja >/dev/null
cmake --build "$dir" --target tarvo-provider
exec "$dir/provider/tarvo-provider" "${@:-demo}"
